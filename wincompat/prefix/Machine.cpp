// The emulated machine, read once from the prefix's wincompat.ini and the environment.
#include "prefix/Machine.h"

#include "prefix/CodePageNames.h"
#include "prefix/HostFile.h"
#include "prefix/Prefix.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <vector>

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

// The [Machine] section of the settings file, keys in lower case.
std::map<std::string, std::string> ReadPrefixSettings(const std::string& file) {
    std::map<std::string, std::string> settings;
    std::string text;
    ReadHostFile(file, text, kSettingsFileLimit);
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

// One setting's text and where it came from, for a warning that names both.
struct Setting {
    const char* key;
    std::string text;
    std::string source;  // the variable, or the settings file
    bool present() const { return !text.empty(); }
};

class Settings {
public:
    Settings() : file_(PrefixRoot().empty() ? std::string() : PrefixRoot() + "/wincompat.ini") {
        if (!file_.empty()) prefix_ = ReadPrefixSettings(file_);
    }
    // The environment variable wins over the prefix's setting.
    Setting Get(const char* key, const char* variable) {
        known_.push_back(Lower(key));
        if (const char* value = getenv(variable); value && *value) return {key, value, variable};
        auto found = prefix_.find(Lower(key));
        if (found == prefix_.end()) return {key, std::string(), std::string()};
        return {key, found->second, file_};
    }
    // Keys of the file that no Get asked for: a misspelt name would otherwise do nothing unseen.
    void WarnUnknown() const {
        for (const auto& [key, value] : prefix_)
            if (std::find(known_.begin(), known_.end(), key) == known_.end())
                fprintf(stderr, "wincompat: ignoring unknown machine setting %s=%s in %s\n", key.c_str(),
                        value.c_str(), file_.c_str());
    }

private:
    std::string file_;
    std::map<std::string, std::string> prefix_;
    std::vector<std::string> known_;
};

void Ignore(const Setting& setting, const char* why) {
    fprintf(stderr, "wincompat: ignoring machine setting %s=%s from %s (%s); the default is used\n", setting.key,
            setting.text.c_str(), setting.source.c_str(), why);
}

// A decimal number within [low, high], digits only.
bool ParseNumber(const std::string& text, unsigned long low, unsigned long high, unsigned long& number) {
    if (text.empty() || text.size() > 9 || strspn(text.c_str(), "0123456789") != text.size()) return false;
    number = strtoul(text.c_str(), nullptr, 10);
    return number >= low && number <= high;
}

// Up to `most` dot-separated numbers, at least `least` of them.
bool ParseNumbers(const std::string& text, size_t least, size_t most, std::vector<unsigned long>& numbers) {
    numbers.clear();
    for (size_t start = 0; start <= text.size();) {
        size_t end = std::min(text.find('.', start), text.size());
        unsigned long number = 0;
        if (!ParseNumber(text.substr(start, end - start), 0, 0xFFFFFFFFul, number)) return false;
        numbers.push_back(number);
        start = end + 1;
    }
    return numbers.size() >= least && numbers.size() <= most;
}

void ApplyVersion(Machine& machine, const Setting& setting) {
    std::vector<unsigned long> parts;
    if (!ParseNumbers(setting.text, 2, 3, parts)) return Ignore(setting, "not major.minor[.build]");
    machine.major = parts[0];
    machine.minor = parts[1];
    machine.build = parts.size() > 2 ? parts[2] : 0;
}

void ApplyServicePack(Machine& machine, const Setting& setting) {
    std::vector<unsigned long> parts;
    if (!ParseNumbers(setting.text, 1, 2, parts) || parts[0] > 0xFFFF || (parts.size() > 1 && parts[1] > 0xFFFF))
        return Ignore(setting, "not major[.minor]");
    machine.servicePackMajor = static_cast<WORD>(parts[0]);
    machine.servicePackMinor = static_cast<WORD>(parts.size() > 1 ? parts[1] : 0);
}

void ApplyProductType(Machine& machine, const Setting& setting) {
    std::string type = Lower(setting.text);
    if (type == "workstation" || type == "1") machine.productType = 1;
    else if (type == "domaincontroller" || type == "2") machine.productType = 2;
    else if (type == "server" || type == "3") machine.productType = 3;
    else Ignore(setting, "not workstation, server or domaincontroller");
}

void ApplyArchitecture(Machine& machine, const Setting& setting) {
    static const std::map<std::string, WORD> kNames = {
        {"x86", 0}, {"intel", 0}, {"arm", 5}, {"ia64", 6}, {"amd64", 9}, {"x64", 9}, {"arm64", 12}};
    std::string name = Lower(setting.text);
    unsigned long number = 0;
    if (auto found = kNames.find(name); found != kNames.end()) machine.nativeArchitecture = found->second;
    else if (ParseNumber(name, 0, 0xFFFF, number)) machine.nativeArchitecture = static_cast<WORD>(number);
    else Ignore(setting, "not an architecture");
}

void ApplyProcessBits(Machine& machine, const Setting& setting) {
    if (setting.text == "32" || setting.text == "64") machine.processBits = setting.text == "32" ? 32 : 64;
    else Ignore(setting, "not 32 or 64");
}

// A code page text cannot be converted in would give empty text everywhere.
void ApplyCodePage(Machine& machine, const Setting& setting) {
    unsigned long number = 0;
    if (!ParseNumber(setting.text, 1, 999999999, number)) return Ignore(setting, "not a code page number");
    if (!CodePageConverts(static_cast<UINT>(number))) return Ignore(setting, "no such code page");
    machine.codePage = static_cast<UINT>(number);
}

void ApplyProcessors(Machine& machine, const Setting& setting) {
    unsigned long number = 0;
    if (!ParseNumber(setting.text, 1, 1024, number)) return Ignore(setting, "not a count from 1 to 1024");
    machine.processors = static_cast<DWORD>(number);
}

Machine ReadMachine() {
    Machine machine;
    Settings settings;
    using Apply = void (*)(Machine&, const Setting&);
    const struct {
        const char* key;
        const char* variable;
        Apply apply;
    } fields[] = {
        {"Version", "WINCOMPAT_VERSION", ApplyVersion},
        {"ServicePack", "WINCOMPAT_SERVICE_PACK", ApplyServicePack},
        {"ProductType", "WINCOMPAT_PRODUCT_TYPE", ApplyProductType},
        {"NativeArch", "WINCOMPAT_NATIVE_ARCH", ApplyArchitecture},
        {"ProcessBits", "WINCOMPAT_PROCESS_BITS", ApplyProcessBits},
        {"CodePage", "WINCOMPAT_CODEPAGE", ApplyCodePage},
        {"Processors", "WINCOMPAT_PROCESSORS", ApplyProcessors},
    };
    for (const auto& field : fields)
        if (Setting setting = settings.Get(field.key, field.variable); setting.present()) field.apply(machine, setting);
    settings.WarnUnknown();
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
