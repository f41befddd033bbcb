// Reading dosdevices and resolving its links, cached under the folder's stamp.
#include "prefix/DriveRoots.h"

#include "prefix/FolderNames.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <mutex>

namespace wincompat {

namespace {

bool IsDriveName(const char* name) { return name[0] >= 'a' && name[0] <= 'z' && name[1] == ':' && !name[2]; }

std::vector<DriveRoot> ReadDriveRoots(const std::string& dosdevices) {
    std::vector<DriveRoot> drives;
    DIR* dir = opendir(dosdevices.c_str());
    if (!dir) return drives;
    while (dirent* entry = readdir(dir)) {
        if (!IsDriveName(entry->d_name)) continue;
        char resolved[PATH_MAX];
        std::string link = dosdevices + "/" + entry->d_name;
        drives.push_back({entry->d_name[0], realpath(link.c_str(), resolved) ? resolved : link});
    }
    closedir(dir);
    return drives;
}

}  // namespace

std::vector<DriveRoot> DriveRoots(const std::string& prefixRoot) {
    static std::mutex mutex;
    static std::string cachedFor;
    static FolderStamp stamp;
    static bool settled = false;
    static std::vector<DriveRoot> drives;

    std::string dosdevices = prefixRoot + "/dosdevices";
    struct stat info;
    if (stat(dosdevices.c_str(), &info) != 0) return {};
    std::lock_guard<std::mutex> lock(mutex);
    if (settled && cachedFor == prefixRoot && stamp.SameState(StampOf(info))) return drives;
    drives = ReadDriveRoots(dosdevices);
    cachedFor = prefixRoot;
    stamp = StampOf(info);
    settled = stamp.Settled();
    return drives;
}

}  // namespace wincompat
