// The emulated machine, read once from the prefix's wincompat.ini and the environment.
#include "prefix/Machine.h"

#include "prefix/HostFile.h"
#include "prefix/Prefix.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <map>

namespace wincompat {

namespace {

constexpr size_t kSettingsFileLimit = 1 << 20;  // a settings file is a few lines

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The [Machine] section of <prefix>/wincompat.ini, keys in lower case.
std::map<std::string, std::string> ReadPrefixSettings() {
    std::map<std::string, std::string> settings;
    const std::string& root = PrefixRoot();
    if (root.empty()) return settings;
    std::string text;
    ReadHostFile(root + "/wincompat.ini", text, kSettingsFileLimit);
    bool inMachine = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            inMachine = Lower(line) == "[machine]";
            continue;
        }
        size_t equals = line.find('=');
        if (inMachine && equals != std::string::npos)
            settings[Lower(Trim(line.substr(0, equals)))] = Trim(line.substr(equals + 1));
    }
    return settings;
}

class Settings {
public:
    Settings() : prefix_(ReadPrefixSettings()) {}
    // The environment variable wins over the prefix's setting.
    std::string Get(const char* key, const char* variable) const {
        if (const char* value = getenv(variable); value && *value) return value;
        auto found = prefix_.find(Lower(key));
        return found == prefix_.end() ? std::string() : found->second;
    }

private:
    std::map<std::string, std::string> prefix_;
};

void Warn(const char* what, const std::string& value) {
    fprintf(stderr, "wincompat: ignoring machine setting %s=%s\n", what, value.c_str());
}

void ApplyVersion(Machine& machine, const std::string& text) {
    unsigned major = 0, minor = 0, build = 0;
    if (sscanf(text.c_str(), "%u.%u.%u", &major, &minor, &build) < 2) return Warn("Version", text);
    machine.major = major;
    machine.minor = minor;
    machine.build = build;
}

void ApplyServicePack(Machine& machine, const std::string& text) {
    unsigned major = 0, minor = 0;
    if (sscanf(text.c_str(), "%u.%u", &major, &minor) < 1) return Warn("ServicePack", text);
    machine.servicePackMajor = static_cast<WORD>(major);
    machine.servicePackMinor = static_cast<WORD>(minor);
}

void ApplyProductType(Machine& machine, const std::string& text) {
    std::string type = Lower(text);
    if (type == "workstation" || type == "1") machine.productType = 1;
    else if (type == "domaincontroller" || type == "2") machine.productType = 2;
    else if (type == "server" || type == "3") machine.productType = 3;
    else Warn("ProductType", text);
}

void ApplyArchitecture(Machine& machine, const std::string& text) {
    static const std::map<std::string, WORD> kNames = {
        {"x86", 0}, {"intel", 0}, {"arm", 5}, {"ia64", 6}, {"amd64", 9}, {"x64", 9}, {"arm64", 12}};
    std::string name = Lower(text);
    if (auto found = kNames.find(name); found != kNames.end()) machine.nativeArchitecture = found->second;
    else if (!name.empty() && strspn(name.c_str(), "0123456789") == name.size())
        machine.nativeArchitecture = static_cast<WORD>(atoi(name.c_str()));
    else Warn("NativeArch", text);
}

Machine ReadMachine() {
    Machine machine;
    Settings settings;
    if (std::string v = settings.Get("Version", "WINCOMPAT_VERSION"); !v.empty()) ApplyVersion(machine, v);
    if (std::string v = settings.Get("ServicePack", "WINCOMPAT_SERVICE_PACK"); !v.empty())
        ApplyServicePack(machine, v);
    if (std::string v = settings.Get("ProductType", "WINCOMPAT_PRODUCT_TYPE"); !v.empty())
        ApplyProductType(machine, v);
    if (std::string v = settings.Get("NativeArch", "WINCOMPAT_NATIVE_ARCH"); !v.empty())
        ApplyArchitecture(machine, v);
    if (std::string v = settings.Get("ProcessBits", "WINCOMPAT_PROCESS_BITS"); !v.empty()) {
        if (v == "32" || v == "64") machine.processBits = atoi(v.c_str());
        else Warn("ProcessBits", v);
    }
    if (std::string v = settings.Get("CodePage", "WINCOMPAT_CODEPAGE"); !v.empty())
        machine.codePage = static_cast<UINT>(strtoul(v.c_str(), nullptr, 10));
    if (std::string v = settings.Get("Processors", "WINCOMPAT_PROCESSORS"); !v.empty())
        machine.processors = static_cast<DWORD>(strtoul(v.c_str(), nullptr, 10));
    if (machine.processors == 0) machine.processors = static_cast<DWORD>(sysconf(_SC_NPROCESSORS_ONLN));
    if (const char* missing = getenv("WINCOMPAT_MISSING")) machine.missing = Lower(missing);
    // A 64-bit program cannot run on a 32-bit system.
    if (!machine.NativeIs64Bit()) machine.processBits = 32;
    return machine;
}

}  // namespace

bool Machine::NativeIs64Bit() const {
    return nativeArchitecture == 9 || nativeArchitecture == 6 || nativeArchitecture == 12;
}

bool Machine::RunsUnderWow64() const { return processBits == 32 && NativeIs64Bit(); }

WORD Machine::ProcessArchitecture() const {
    if (processBits == 64) return nativeArchitecture;
    return nativeArchitecture == 12 || nativeArchitecture == 5 ? 5 : 0;  // ARM or x86
}

bool Machine::IsMissing(const std::string& module, const char* exportName) const {
    if (missing.empty()) return false;
    std::string wanted = Lower(module);
    if (exportName) wanted += "!" + Lower(exportName);
    size_t start = 0;
    while (start <= missing.size()) {
        size_t end = missing.find(',', start);
        if (end == std::string::npos) end = missing.size();
        if (Trim(missing.substr(start, end - start)) == wanted) return true;
        start = end + 1;
    }
    return false;
}

const Machine& CurrentMachine() {
    static const Machine machine = ReadMachine();
    return machine;
}

}  // namespace wincompat
