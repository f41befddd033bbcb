#include "integration/InstallSnapshot.h"

#include "integration/InstallerFixture.h"
#include "prefix/RegistryFormat.h"
#include "prefix/Prefix.h"

#include <dirent.h>
#include <sys/stat.h>

#include <regex>

using namespace wincompat;

namespace {

void ListFolder(const std::string& root, const std::string& below, std::map<std::string, std::string>& files) {
    DIR* folder = opendir((root + below).c_str());
    if (!folder) return;
    while (dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string path = below + "/" + name;
        struct stat info;
        if (lstat((root + path).c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            files[path] = "D";
            ListFolder(root, path, files);
        } else {
            files[path] = std::to_string(std::hash<std::string>()(ReadWholeFile(root + path)));
        }
    }
    closedir(folder);
}

std::string Hex(const std::vector<BYTE>& data) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (BYTE b : data) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

void ListKeys(const RegistryKey& key, const std::string& path, std::map<std::string, std::string>& registry) {
    for (const auto& subkey : key.subkeys) {
        std::string subpath = path + "\\" + Utf8FromWide(subkey->name);
        registry[subpath] = "key";
        for (const RegistryValue& value : subkey->values)
            registry[subpath + "/" + Utf8FromWide(value.name)] = std::to_string(value.type) + ":" + Hex(value.data);
        ListKeys(*subkey, subpath, registry);
    }
}

std::string ProfileValue(const std::string& path, const std::string& section, const std::string& key) {
    return IniValue(ReadWholeFile(path), section, key);
}

}  // namespace

InstallSnapshot TakeSnapshot(const std::string& prefix, const std::string& login) {
    InstallSnapshot snapshot;
    ListFolder(prefix + "/drive_c/Program Files (x86)/Velmora", "", snapshot.files);
    struct stat info;
    if (stat((prefix + "/system.reg").c_str(), &info) == 0) {
        ParseReport report;
        RegistryKey root = ParseHive(ReadWholeFile(prefix + "/system.reg"), report);
        if (report.Damaged()) snapshot.hiveProblem = report.firstProblem;
        ListKeys(root, "", snapshot.registry);
    }
    std::string config = prefix + "/drive_c/users/" + login + "/AppData/Local/VelmoraUser/VelmoraUser.ini";
    snapshot.installPath = ProfileValue(config, "Globals", "InstallPath");
    snapshot.spreader = ProfileValue(config, "Globals", "Spreader");
    snapshot.version =
        ProfileValue(prefix + "/drive_c/Program Files (x86)/Velmora/VelmoraUserVersion.ini", "Version", "ver");
    return snapshot;
}

std::string MissingFrom(const InstallSnapshot& actual, const InstallSnapshot& complete) {
    std::string missing;
    if (!actual.hiveProblem.empty()) missing += "the hive is damaged: " + actual.hiveProblem + "\n";
    for (const auto& [path, content] : complete.files) {
        auto found = actual.files.find(path);
        if (found == actual.files.end() || found->second != content) missing += "file " + path + "\n";
    }
    for (const auto& [path, data] : complete.registry) {
        if (path.ends_with("/PendingFileRenameOperations")) continue;  // grows with every reinstall
        auto found = actual.registry.find(path);
        if (found == actual.registry.end() || found->second != data) missing += "registry " + path + "\n";
    }
    if (actual.installPath != complete.installPath) missing += "InstallPath " + actual.installPath + "\n";
    if (actual.spreader != complete.spreader) missing += "Spreader " + actual.spreader + "\n";
    if (actual.version != complete.version) missing += "ver " + actual.version + "\n";
    return missing;
}

std::string ProfileFileProblem(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return "";
    std::string text = ReadWholeFile(path);
    if (!text.empty() && !text.ends_with("\r\n")) return path + " ends inside a line";
    static const std::regex line(R"(\[[^\]\r\n]+\]|[^=\[\r\n][^=\r\n]*=[^\r\n]*)");
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        std::string one = text.substr(start, end - start);
        if (!std::regex_match(one, line)) return path + " holds the line \"" + one + "\"";
        start = end + 2;
    }
    return "";
}

std::string HiveTemporaries(const std::string& prefix) {
    std::string names;
    static const std::regex temporary(R"((system|user)\.reg\.[A-Za-z0-9]{6})");
    if (DIR* folder = opendir(prefix.c_str())) {
        while (dirent* entry = readdir(folder))
            if (std::regex_match(entry->d_name, temporary)) names += std::string(entry->d_name) + " ";
        closedir(folder);
    }
    return names;
}
