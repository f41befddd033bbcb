#include "kernel32/FileAttributes.h"

#include <windows.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <string>

namespace wincompat {

namespace {

const char kDosAttributeName[] = "user.DOSATTRIB";
constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kArchiveCleared = FILE_ATTRIBUTE_NORMAL;  // the mark on a file

DWORD ParseStoredBits(const char* text, ssize_t length) {
    if (length <= 0) return 0;
    std::string value(text, static_cast<size_t>(length));
    return static_cast<DWORD>(strtoul(value.c_str(), nullptr, 16));
}

DWORD ReadStoredBits(const std::string& unixPath, bool pinned = false) {
    char text[32];
    const char* path = unixPath.c_str();
    ssize_t length = pinned ? getxattr(path, kDosAttributeName, text, sizeof(text) - 1)
                            : lgetxattr(path, kDosAttributeName, text, sizeof(text) - 1);
    return ParseStoredBits(text, length);
}

bool WriteStoredBits(const std::string& unixPath, DWORD bits) {
    if (bits == 0) {
        if (lremovexattr(unixPath.c_str(), kDosAttributeName) == 0 || errno == ENODATA) return true;
        return errno == ENOTSUP;  // file systems without xattrs simply keep nothing
    }
    char text[16];
    int length = snprintf(text, sizeof(text), "0x%x", bits);
    return lsetxattr(unixPath.c_str(), kDosAttributeName, text, length, 0) == 0 || errno == ENOTSUP;
}

}  // namespace

DWORD ReadFileAttributes(const std::string& unixPath) {
    struct stat info;
    if (stat(unixPath.c_str(), &info) != 0) {
        // A link whose target is gone is still an entry of its own, as a
        // reparse point is on Windows.
        struct stat linkInfo;
        int error = errno;
        if (error == ENOENT && lstat(unixPath.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode))
            return FILE_ATTRIBUTE_REPARSE_POINT;
        errno = error;
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD stored = ReadStoredBits(unixPath);
    DWORD attributes = stored & kHiddenSystem;
    if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY | (stored & FILE_ATTRIBUTE_ARCHIVE);
    else if (!(stored & kArchiveCleared)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    struct stat linkInfo;
    if (lstat(unixPath.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD EntryAttributes(mode_t mode, const std::string& attributePath, bool pinned) {
    if (SpecialFileReparseTag(mode)) return FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
    DWORD stored = ReadStoredBits(attributePath, pinned);
    DWORD attributes = stored & kHiddenSystem;
    if (S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY | (stored & FILE_ATTRIBUTE_ARCHIVE);
    else if (!(stored & kArchiveCleared)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD SpecialFileReparseTag(mode_t mode) {
    if (S_ISFIFO(mode)) return 0x80000024;  // IO_REPARSE_TAG_LX_FIFO
    if (S_ISCHR(mode)) return 0x80000025;   // IO_REPARSE_TAG_LX_CHR
    if (S_ISBLK(mode)) return 0x80000026;   // IO_REPARSE_TAG_LX_BLK
    if (S_ISSOCK(mode)) return 0x80000023;  // IO_REPARSE_TAG_AF_UNIX
    return 0;
}

bool WriteFileAttributes(const std::string& unixPath, DWORD attributes) {
    struct stat info;
    if (stat(unixPath.c_str(), &info) != 0) return false;
    mode_t mode = info.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    } else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        // Clearing read-only gives write where read is, filtered by the umask.
        mode_t mask = umask(0);
        umask(mask);
        mode |= ((mode & (S_IRUSR | S_IRGRP | S_IROTH)) >> 1) & ~mask;
    }
    if (mode != (info.st_mode & 07777) && chmod(unixPath.c_str(), mode) != 0) return false;
    DWORD bits = attributes & kHiddenSystem;
    if (S_ISDIR(info.st_mode)) bits |= attributes & FILE_ATTRIBUTE_ARCHIVE;
    else if (!(attributes & FILE_ATTRIBUTE_ARCHIVE)) bits |= kArchiveCleared;
    return WriteStoredBits(unixPath, bits);
}

void MarkArchived(int fd) {
    char text[32];
    DWORD stored = ParseStoredBits(text, fgetxattr(fd, kDosAttributeName, text, sizeof(text) - 1));
    if (!(stored & kArchiveCleared)) return;
    DWORD bits = stored & kHiddenSystem;
    if (bits == 0) {
        fremovexattr(fd, kDosAttributeName);
        return;
    }
    int length = snprintf(text, sizeof(text), "0x%x", bits);
    fsetxattr(fd, kDosAttributeName, text, length, 0);
}

}  // namespace wincompat
