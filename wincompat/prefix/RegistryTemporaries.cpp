// Finding and removing the temporaries of writers that were killed.
#include "prefix/RegistryTemporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat {

namespace {

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool IsHiveTemporaryName(std::string_view name) {
    for (std::string_view hive : {"system.reg.", "user.reg."}) {
        if (name.size() != hive.size() + 6 || !name.starts_with(hive)) continue;
        for (char c : name.substr(hive.size()))
            if (!IsLetterOrDigit(c)) return false;
        return true;
    }
    return false;
}

void RemoveAbandonedTemporaries(const std::string& folder) {
    DIR* entries = opendir(folder.c_str());
    if (!entries) return;
    while (dirent* entry = readdir(entries)) {
        if (!IsHiveTemporaryName(entry->d_name)) continue;
        struct stat info;
        if (fstatat(dirfd(entries), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            unlinkat(dirfd(entries), entry->d_name, 0);
    }
    closedir(entries);
}

}  // namespace wincompat
