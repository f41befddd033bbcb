#include "kernel32/FindFileSearch.h"

#include "kernel32/FileAttributes.h"
#include "kernel32/FileTimes.h"
#include "kernel32/FindFilePattern.h"
#include "prefix/Prefix.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace wincompat {

namespace {

struct ListedName {
    std::string unixName;
    std::wstring name;
};

// ENOENT for a missing folder; a folder path naming a file is ERROR_DIRECTORY.
DWORD OpenFolderError(int error, const std::string& unixFolder) {
    struct stat info;
    if (error == ENOTDIR && stat(unixFolder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) return ERROR_DIRECTORY;
    if (error == ENOENT || error == ENOTDIR) return ERROR_PATH_NOT_FOUND;
    return ErrorFromErrno(error);
}

// NTFS lists a folder in upper-case name order, "." and ".." first.
bool ListedBefore(const ListedName& a, const ListedName& b) {
    int order = CompareNoCase(a.name, b.name);
    return order != 0 ? order < 0 : a.unixName < b.unixName;
}

bool ReadMatchingNames(DIR* dir, std::wstring_view mask, std::vector<ListedName>& listed) {
    for (;;) {
        errno = 0;
        dirent* entry = readdir(dir);
        if (!entry) return errno == 0;
        std::string unixName = entry->d_name;
        if (unixName == "." || unixName == "..") continue;
        std::wstring name = WideFromUtf8(unixName);
        if (name.size() < MAX_PATH && MatchesFindPattern(mask, name)) listed.push_back({unixName, std::move(name)});
    }
}

// A drive root ("C:\") lists no "." and "..".
bool IsDriveRoot(const std::wstring& dosFolder) { return dosFolder.size() <= 3; }

FILETIME FromStatx(const statx_timestamp& stamp) {
    return FileTimeFromUnix(timespec{static_cast<time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec)});
}

// A link reports its target's kind and its own reparse bit; one whose target
// cannot be reached (gone, or a loop) is a file reparse point. Anything else
// is described from the entry's own mode, without looking at it again.
DWORD ListedAttributes(const std::string& unixPath, mode_t mode) {
    if (!S_ISLNK(mode)) return EntryAttributes(mode, unixPath);
    DWORD attributes = ReadFileAttributes(unixPath);
    if (attributes != INVALID_FILE_ATTRIBUTES) return attributes;
    return FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
}

}  // namespace

bool DescribeFindEntry(const std::string& unixPath, std::wstring_view name, WIN32_FIND_DATAW& data) {
    // The entry itself: a link reports its own times and no size, as a reparse point does.
    struct statx info;
    if (statx(AT_FDCWD, unixPath.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return false;
    DWORD attributes = ListedAttributes(unixPath, info.stx_mode);

    data = WIN32_FIND_DATAW{};
    data.dwFileAttributes = attributes;
    data.ftCreationTime = FromStatx((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
    data.ftLastAccessTime = FromStatx(info.stx_atime);
    data.ftLastWriteTime = FromStatx(info.stx_mtime);
    uint64_t size = S_ISREG(info.stx_mode) ? info.stx_size : 0;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    data.dwReserved0 = S_ISLNK(info.stx_mode) ? IO_REPARSE_TAG_SYMLINK : SpecialFileReparseTag(info.stx_mode);
    name.copy(data.cFileName, MAX_PATH - 1);
    return true;
}

std::shared_ptr<FindFileSearch> FindFileSearch::Start(const std::wstring& dosFolder, const std::string& unixFolder,
                                                      std::wstring_view mask, DWORD* error) {
    DIR* dir = opendir(unixFolder.c_str());
    if (!dir) {
        *error = OpenFolderError(errno, unixFolder);
        return nullptr;
    }
    std::vector<ListedName> listed;
    bool complete = ReadMatchingNames(dir, mask, listed);
    int readError = errno;
    closedir(dir);
    if (!complete) {
        *error = ErrorFromErrno(readError);
        return nullptr;
    }
    std::sort(listed.begin(), listed.end(), ListedBefore);

    std::vector<std::string> names;
    if (!IsDriveRoot(dosFolder))
        for (const char* dot : {".", ".."})
            if (MatchesFindPattern(mask, WideFromUtf8(dot))) names.push_back(dot);
    for (ListedName& entry : listed) names.push_back(std::move(entry.unixName));
    if (names.empty()) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    return std::shared_ptr<FindFileSearch>(new FindFileSearch(unixFolder, std::move(names)));
}

FindFileSearch::FindFileSearch(std::string unixFolder, std::vector<std::string> names)
    : unixFolder_(std::move(unixFolder)), names_(std::move(names)) {}

bool FindFileSearch::Next(WIN32_FIND_DATAW& data) {
    while (next_ < names_.size()) {
        const std::string& name = names_[next_++];
        if (DescribeFindEntry(unixFolder_ + "/" + name, WideFromUtf8(name), data)) return true;
    }
    return false;
}

}  // namespace wincompat
