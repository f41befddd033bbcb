// Locating and creating the prefix.
#include "prefix/Prefix.h"

#include "prefix/PrefixRuntime.h"

#include "prefix/BuiltinPlaceholders.h"
#include "prefix/HostFolders.h"

#include <errno.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace wincompat {

namespace {

std::string HomeFolder() {
    if (const char* home = getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(geteuid())) return entry->pw_dir;
    return "/tmp";
}

std::string ChoosePrefixPath() {
    std::string path;
    if (const char* configured = getenv("WINCOMPAT_PREFIX"); configured && *configured)
        path = configured;
    else
        path = HomeFolder() + "/.wincompat";
    if (path[0] != '/') {
        std::vector<char> cwd(4096);
        if (getcwd(cwd.data(), cwd.size())) path = std::string(cwd.data()) + "/" + path;
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool MakeLink(const std::string& target, const std::string& link) {
    struct stat info;
    if (lstat(link.c_str(), &info) == 0) return true;
    return symlink(target.c_str(), link.c_str()) == 0 || errno == EEXIST;
}

// The standard folders of Windows 10, spelled as Wine spells them. Made (and
// the built-in programs' placeholders with them) whenever a process starts on
// the prefix, so a prefix that an older wincompat or Wine made is completed.
std::vector<std::string> StandardFolders() {
    std::string user = Utf8FromWide(UserName());
    return {
        "Program Files/Common Files",
        "Program Files (x86)/Common Files",
        "ProgramData/Microsoft/Windows/Start Menu/Programs",
        "users/Public/Desktop",
        "users/" + user + "/AppData/Local/Temp",
        "users/" + user + "/AppData/LocalLow",
        "users/" + user + "/AppData/Roaming",
        "users/" + user + "/Desktop",
        "windows/system32",
        "windows/syswow64",
    };
}

std::string CreatePrefix() {
    std::string root = ChoosePrefixPath();
    bool ok = MakeHostFolders(root + "/dosdevices") && MakeHostFolders(root + "/drive_c") &&
              MakeLink("../drive_c", root + "/dosdevices/c:") && MakeLink("/", root + "/dosdevices/z:");
    for (const std::string& folder : StandardFolders()) {
        if (!ok) break;
        ok = MakeHostFolders(root + "/drive_c/" + folder);
    }
    if (!ok) {
        fprintf(stderr, "wincompat: cannot create the prefix at %s: %s\n", root.c_str(), strerror(errno));
        return std::string();
    }
    EnsureBuiltinPlaceholders(root);
    return root;
}

}  // namespace

const std::string& PrefixRoot() {
    static const std::string root = [] {
        std::string created = CreatePrefix();
        JoinPrefixProcesses(created);
        return created;
    }();
    return root;
}

const std::wstring& UserName() {
    static const std::wstring name = [] {
        if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name[0])
            return WideFromUtf8(entry->pw_name);
        if (const char* user = getenv("USER"); user && *user) return WideFromUtf8(user);
        return std::wstring(L"user");
    }();
    return name;
}

}  // namespace wincompat
