#include "advapi32/FileSecurityStore.h"

#include "advapi32/FileSecurityMode.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
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

// A link that took the file's place refuses user attributes with EPERM: the
// file is no longer there to be changed.
DWORD AttributeError(int error) {
    if (error == ENOTSUP) return ERROR_NOT_SUPPORTED;
    if (error == EPERM) return ERROR_ACCESS_DENIED;
    return ErrorFromErrno(error);
}

// The path naming the entry itself: a trailing slash would make even the
// calls that do not follow links go through a link at the end.
std::string EntryPath(const std::string& unixPath) {
    size_t end = unixPath.find_last_not_of('/');
    return end == std::string::npos ? unixPath.substr(0, 1) : unixPath.substr(0, end + 1);
}

typedef ssize_t (*AttributeReader)(const char*, const char*, void*, size_t);

// The attribute, read in one call when it fits the usual size. By path a
// symbolic link there is never followed (lgetxattr); by a handle's pinned
// name, getxattr reaches the very object the handle holds and no further.
bool ReadStored(const std::string& unixPath, std::vector<BYTE>& bytes, AttributeReader read = lgetxattr) {
    BYTE usual[512];
    ssize_t size = read(unixPath.c_str(), kFileSecurityAttribute, usual, sizeof(usual));
    if (size >= 0) {
        bytes.assign(usual, usual + size);
        return size > 0;
    }
    for (int attempt = 0; attempt < 3 && errno == ERANGE; ++attempt) {  // ERANGE: larger, or it grew in between
        size = read(unixPath.c_str(), kFileSecurityAttribute, nullptr, 0);
        if (size <= 0) return false;
        bytes.resize(size);
        size = read(unixPath.c_str(), kFileSecurityAttribute, bytes.data(), bytes.size());
        if (size >= 0) {
            bytes.resize(size);
            return size > 0;
        }
    }
    return false;
}

}  // namespace

// A symbolic link is its own entry, as a reparse point is on Windows: its
// security is never the target's. Unix links have no mode of their own (always
// 0777) and cannot hold user attributes, so a link's descriptor is the one
// derived from that mode, granting Everyone access, and setting one changes
// nothing outside the link. Every call below looks at the path without
// following a link there, so a link put in place of the file between two of
// them is not gone through either.

bool ReadStoredFileDescriptor(const std::string& unixPath, DescriptorParts& parts) {
    std::vector<BYTE> stored;
    return ReadStored(EntryPath(unixPath), stored) && ParseSelfRelative(stored.data(), stored.size(), parts);
}

bool ReadFileDescriptor(const std::string& path, DescriptorParts& parts, DWORD* error) {
    const std::string unixPath = EntryPath(path);
    struct stat info;
    if (lstat(unixPath.c_str(), &info) != 0) return Fail(error, ErrorFromErrno(errno));
    if (!S_ISLNK(info.st_mode) && ReadStoredFileDescriptor(unixPath, parts)) return true;
    parts = DerivedFileDescriptor(info.st_mode);
    return true;
}

namespace {

uid_t EffectiveUser() {
    static const uid_t user = geteuid();  // never changed by this process
    return user;
}

// The mode the descriptor gives the entry described by info; false when it
// would change and this user may not change it (only the owner may).
bool ModeFor(const struct stat& info, const DescriptorParts& parts, mode_t& mode, DWORD* error) {
    mode = parts.HasDacl() ? MirroredMode(info.st_mode, parts.Dacl()) : info.st_mode;
    if (mode != info.st_mode && EffectiveUser() != 0 && EffectiveUser() != info.st_uid)
        return Fail(error, ERROR_ACCESS_DENIED);
    return true;
}

// Stores the descriptor on the entry described by info, reached through
// unixPath by calls that do not go past the entry; nothing for a link.
bool Store(const std::string& unixPath, const struct stat& info, const DescriptorParts& parts, bool pinned,
           DWORD* error) {
    if (S_ISLNK(info.st_mode)) return true;
    mode_t mode;
    if (!ModeFor(info, parts, mode, error)) return false;  // refused before anything is stored
    std::vector<BYTE> bytes = SelfRelativeBytes(parts);
    const char* path = unixPath.c_str();
    int stored = pinned ? setxattr(path, kFileSecurityAttribute, bytes.data(), bytes.size(), 0)
                        : lsetxattr(path, kFileSecurityAttribute, bytes.data(), bytes.size(), 0);
    if (stored != 0) return Fail(error, AttributeError(errno));
    if (mode == info.st_mode) return true;
    int changed = pinned ? chmod(path, mode & 07777) : fchmodat(AT_FDCWD, path, mode & 07777, AT_SYMLINK_NOFOLLOW);
    return changed == 0 || Fail(error, ErrorFromErrno(errno));
}

}  // namespace

bool WriteFileDescriptor(const std::string& path, const DescriptorParts& parts, DWORD* error) {
    const std::string unixPath = EntryPath(path);
    struct stat info;
    if (lstat(unixPath.c_str(), &info) != 0) return Fail(error, ErrorFromErrno(errno));
    return Store(unixPath, info, parts, false, error);
}

bool ReadHandleDescriptor(int fd, const std::string& pinnedPath, DescriptorParts& parts, DWORD* error) {
    std::vector<BYTE> stored;
    // A link or special file holds no user attributes: getxattr fails there
    // and the descriptor is the one its mode gives.
    if (ReadStored(pinnedPath, stored, getxattr) && ParseSelfRelative(stored.data(), stored.size(), parts))
        return true;
    struct stat info;
    if (fstat(fd, &info) != 0) return Fail(error, ErrorFromErrno(errno));
    parts = DerivedFileDescriptor(info.st_mode);
    return true;
}

bool WriteHandleDescriptor(int fd, const std::string& pinnedPath, const DescriptorParts& parts, DWORD* error) {
    struct stat info;
    if (fstat(fd, &info) != 0) return Fail(error, ErrorFromErrno(errno));
    return Store(pinnedPath, info, parts, true, error);
}

bool WriteOpenFileDescriptor(int fd, const struct stat& info, const DescriptorParts& parts, DWORD* error) {
    mode_t mode;
    if (!ModeFor(info, parts, mode, error)) return false;
    std::vector<BYTE> bytes = SelfRelativeBytes(parts);
    if (fsetxattr(fd, kFileSecurityAttribute, bytes.data(), bytes.size(), 0) != 0)
        return Fail(error, AttributeError(errno));
    if (mode == info.st_mode) return true;
    return fchmod(fd, mode & 07777) == 0 || Fail(error, ErrorFromErrno(errno));
}

}  // namespace wincompat
