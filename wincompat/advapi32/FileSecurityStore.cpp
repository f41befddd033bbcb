#include "advapi32/FileSecurityStore.h"

#include "advapi32/FileSecurityMode.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace wincompat {

const char kFileSecurityAttribute[] = "user.wincompat.sd";

namespace {

bool Fail(DWORD* error, DWORD code) {
    *error = code;
    return false;
}

bool ReadStored(const std::string& unixPath, std::vector<BYTE>& bytes) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        ssize_t size = getxattr(unixPath.c_str(), kFileSecurityAttribute, nullptr, 0);
        if (size <= 0) return false;
        bytes.resize(size);
        size = getxattr(unixPath.c_str(), kFileSecurityAttribute, bytes.data(), bytes.size());
        if (size >= 0) {
            bytes.resize(size);
            return true;
        }
        if (errno != ERANGE) return false;  // ERANGE: it grew in between
    }
    return false;
}

}  // namespace

// A symbolic link is its own entry, as a reparse point is on Windows: its
// security is never the target's. Unix links have no mode of their own (always
// 0777) and cannot hold user attributes, so a link's descriptor is the one
// derived from that mode, granting Everyone access, and setting one changes
// nothing outside the link.
static bool IsSymbolicLink(const std::string& unixPath) {
    struct stat info;
    return lstat(unixPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool ReadStoredFileDescriptor(const std::string& unixPath, DescriptorParts& parts) {
    std::vector<BYTE> stored;
    return ReadStored(unixPath, stored) && ParseSelfRelative(stored.data(), stored.size(), parts);
}

bool ReadFileDescriptor(const std::string& unixPath, DescriptorParts& parts, DWORD* error) {
    struct stat info;
    if (IsSymbolicLink(unixPath)) {
        lstat(unixPath.c_str(), &info);
        parts = DerivedFileDescriptor(info.st_mode);
        return true;
    }
    if (stat(unixPath.c_str(), &info) != 0) return Fail(error, ErrorFromErrno(errno));
    if (ReadStoredFileDescriptor(unixPath, parts)) return true;
    parts = DerivedFileDescriptor(info.st_mode);
    return true;
}

bool WriteFileDescriptor(const std::string& unixPath, const DescriptorParts& parts, DWORD* error) {
    if (IsSymbolicLink(unixPath)) return true;
    struct stat info;
    if (stat(unixPath.c_str(), &info) != 0) return Fail(error, ErrorFromErrno(errno));
    mode_t mode = parts.HasDacl() ? MirroredMode(info.st_mode, parts.Dacl()) : info.st_mode;
    // Only the owner may change the mode; refuse before anything is stored.
    if (mode != info.st_mode && geteuid() != 0 && geteuid() != info.st_uid) return Fail(error, ERROR_ACCESS_DENIED);
    std::vector<BYTE> bytes = SelfRelativeBytes(parts);
    if (setxattr(unixPath.c_str(), kFileSecurityAttribute, bytes.data(), bytes.size(), 0) != 0)
        return Fail(error, errno == ENOTSUP ? ERROR_NOT_SUPPORTED : ErrorFromErrno(errno));
    if (mode != info.st_mode && chmod(unixPath.c_str(), mode & 07777) != 0) return Fail(error, ErrorFromErrno(errno));
    return true;
}

}  // namespace wincompat
