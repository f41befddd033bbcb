#include "kernel32/DirectoryListing.h"

#include "kernel32/FileAttributes.h"
#include "kernel32/FileTimes.h"
#include "prefix/Prefix.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stddef.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace wincompat {

namespace {

constexpr DWORD kRecordAlignment = 8;

struct ListedName {
    std::string unixName;
    std::wstring name;
};

bool ListedBefore(const ListedName& a, const ListedName& b) {
    int order = CompareNoCase(a.name, b.name);
    return order != 0 ? order < 0 : a.unixName < b.unixName;
}

LARGE_INTEGER Ticks(const statx_timestamp& stamp) {
    FILETIME time = FileTimeFromUnix(timespec{static_cast<time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec)});
    LARGE_INTEGER ticks;
    ticks.QuadPart = (static_cast<LONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return ticks;
}

LARGE_INTEGER Quad(uint64_t value) {
    LARGE_INTEGER quad;
    quad.QuadPart = static_cast<LONGLONG>(value);
    return quad;
}

// A drive root lists no "." and "..": it is the root of its file system or
// of the prefix's drive_c.
bool IsDriveRoot(int fd) {
    struct stat self, parent;
    if (fstatat(fd, "..", &parent, 0) != 0 || fstat(fd, &self) != 0) return false;
    if (self.st_dev == parent.st_dev && self.st_ino == parent.st_ino) return true;
    return UnixToDos("/proc/self/fd/" + std::to_string(fd)).size() <= 3;
}

}  // namespace

DirectoryListing::DirectoryListing(int handleFd) {
    fd_ = open(("/proc/self/fd/" + std::to_string(handleFd)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno == ENOTDIR ? ERROR_INVALID_PARAMETER : ErrorFromErrno(errno);
        return;
    }
    DIR* dir = fdopendir(dup(fd_));
    if (!dir) {
        error_ = ErrorFromErrno(errno);
        return;
    }
    std::vector<ListedName> listed;
    for (;;) {
        errno = 0;
        dirent* entry = readdir(dir);
        if (!entry) break;
        std::string unixName = entry->d_name;
        if (unixName == "." || unixName == "..") continue;
        std::wstring name = WideFromUtf8(unixName);
        if (name.size() < MAX_PATH) listed.push_back({std::move(unixName), std::move(name)});
    }
    if (errno != 0) error_ = ErrorFromErrno(errno);
    closedir(dir);
    std::sort(listed.begin(), listed.end(), ListedBefore);
    if (!IsDriveRoot(fd_)) names_ = {".", ".."};
    for (ListedName& entry : listed) names_.push_back(std::move(entry.unixName));
}

DirectoryListing::~DirectoryListing() {
    if (fd_ >= 0) close(fd_);
}

// One record for the entry, looked at relative to the listed folder without
// following a link; false when it is gone or does not fit (used 0).
bool DirectoryListing::Describe(const std::string& name, BYTE* at, DWORD room, DWORD& used) const {
    used = 0;
    struct statx info;
    if (statx(fd_, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) return false;
    std::wstring wide = WideFromUtf8(name);
    const DWORD nameBytes = static_cast<DWORD>(wide.size() * sizeof(WCHAR));
    const DWORD size = offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + nameBytes;
    if (size > room) {
        used = size;
        return false;
    }
    FILE_ID_BOTH_DIR_INFO record{};
    const std::string pinned = "/proc/self/fd/" + std::to_string(fd_) + "/" + name;
    if (S_ISLNK(info.stx_mode)) {
        record.FileAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
        record.EaSize = IO_REPARSE_TAG_SYMLINK;  // the reparse tag, as NTFS reports it there
    } else {
        record.FileAttributes = EntryAttributes(info.stx_mode, pinned);
        record.EaSize = SpecialFileReparseTag(info.stx_mode);
    }
    record.CreationTime = Ticks((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
    record.LastAccessTime = Ticks(info.stx_atime);
    record.LastWriteTime = Ticks(info.stx_mtime);
    record.ChangeTime = Ticks(info.stx_ctime);
    record.EndOfFile = Quad(S_ISREG(info.stx_mode) ? info.stx_size : 0);
    record.AllocationSize = Quad(S_ISREG(info.stx_mode) ? info.stx_blocks * 512 : 0);
    record.FileNameLength = nameBytes;
    record.FileId = Quad(info.stx_ino);
    memcpy(at, &record, offsetof(FILE_ID_BOTH_DIR_INFO, FileName));
    memcpy(at + offsetof(FILE_ID_BOTH_DIR_INFO, FileName), wide.data(), nameBytes);
    used = size;
    return true;
}

DWORD DirectoryListing::Fill(BYTE* buffer, DWORD size, bool restart) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (error_ != ERROR_SUCCESS) return error_;
    if (restart) next_ = 0;
    DWORD offset = 0;
    FILE_ID_BOTH_DIR_INFO* previous = nullptr;
    while (next_ < names_.size()) {
        DWORD used = 0;
        if (!Describe(names_[next_], buffer + offset, size - offset, used)) {
            if (used == 0) {  // gone since the listing
                ++next_;
                continue;
            }
            if (!previous) return ERROR_MORE_DATA;
            break;
        }
        ++next_;
        if (previous) previous->NextEntryOffset = static_cast<DWORD>(buffer + offset - reinterpret_cast<BYTE*>(previous));
        previous = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
        offset += (used + kRecordAlignment - 1) / kRecordAlignment * kRecordAlignment;
        if (offset >= size) break;
    }
    return previous ? ERROR_SUCCESS : ERROR_NO_MORE_FILES;
}

}  // namespace wincompat
