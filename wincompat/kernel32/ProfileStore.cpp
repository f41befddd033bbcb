// Profile files on disk: bounded reads, and locked, atomic rewrites that keep
// the file's permission bits and extended attributes (DOS attributes and the
// security descriptor live there).
#include "kernel32/ProfileStore.h"

#include "advapi32/FileSecurityInheritance.h"

#include "prefix/DurableWrites.h"
#include "prefix/FolderIndex.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <mutex>
#include <vector>

namespace wincompat {

namespace {

// Fixed per folder: the folder lock admits one writer at a time, so a file
// of this name left behind can only be the remains of a writer that died.
constexpr char kTemporaryName[] = ".wincompat-profile.tmp";

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    void Reset(int fd) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now, reporting the error close() may give for buffered data.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

private:
    int fd_;
};

bool Fail(DWORD* error, DWORD code) {
    if (error) *error = code;
    return false;
}

bool FailErrno(DWORD* error) { return Fail(error, ErrorFromErrno(errno)); }

// Reads at most limit + 1 bytes, so that the caller can tell a file over the limit.
bool ReadUpTo(int fd, size_t limit, std::string& bytes) {
    bytes.clear();
    char chunk[65536];
    while (bytes.size() <= limit) {
        ssize_t got = read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        bytes.append(chunk, static_cast<size_t>(got));
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

// Writes through a symbolic link to its target, as Windows writes through to the file.
std::string FollowLink(const std::string& path) {
    struct stat info;
    char resolved[PATH_MAX];
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

void CopyUserAttributes(int from, int to) {
    ssize_t size = flistxattr(from, nullptr, 0);
    if (size <= 0) return;
    std::vector<char> names(static_cast<size_t>(size));
    size = flistxattr(from, names.data(), names.size());
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        if (strncmp(name, "user.", 5) != 0) continue;
        ssize_t length = fgetxattr(from, name, nullptr, 0);
        if (length < 0) continue;
        std::vector<char> value(static_cast<size_t>(length) + 1);
        length = fgetxattr(from, name, value.data(), value.size());
        if (length >= 0) fsetxattr(to, name, value.data(), static_cast<size_t>(length), 0);
    }
}

// The file as it stands, opened for reading, checked to be a replaceable
// regular file of acceptable size.
struct CurrentFile {
    FileDescriptor fd;
    struct stat info = {};
    std::string bytes;
};

bool OpenCurrent(int folder, const std::string& name, CurrentFile& current, DWORD* error) {
    current.fd.Reset(openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!current.fd.valid()) return errno == ENOENT ? true : FailErrno(error);
    if (fstat(current.fd.get(), &current.info) != 0) return FailErrno(error);
    if (!S_ISREG(current.info.st_mode)) return Fail(error, ERROR_ACCESS_DENIED);
    // Read-only is the absence of every write bit, which binds root too.
    if ((current.info.st_mode & 0222) == 0 || faccessat(folder, name.c_str(), W_OK, 0) != 0)
        return Fail(error, ERROR_ACCESS_DENIED);
    if (!ReadUpTo(current.fd.get(), kMaxProfileBytes, current.bytes)) return FailErrno(error);
    if (current.bytes.size() > kMaxProfileBytes) return Fail(error, ERROR_NOT_ENOUGH_MEMORY);
    return true;
}

// The replacement keeps the current file's mode, owner and attributes; a new
// file takes what its folder passes on, as a file created there would.
bool WriteTemporary(int folder, const std::string& folderPath, const CurrentFile& current, const std::string& bytes,
                    DWORD* error) {
    unlinkat(folder, kTemporaryName, 0);
    FileDescriptor fd(openat(folder, kTemporaryName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid()) return FailErrno(error);
    if (current.fd.valid()) {
        fchmod(fd.get(), current.info.st_mode & 07777);
        if (geteuid() == 0) (void)!fchown(fd.get(), current.info.st_uid, current.info.st_gid);
        CopyUserAttributes(current.fd.get(), fd.get());
    } else {
        InheritFolderSecurity(folderPath + "/" + kTemporaryName, folderPath);
    }
    if (WriteAll(fd.get(), bytes) && fd.Close()) return true;  // made durable later: see DurableWrites.h
    FailErrno(error);
    unlinkat(folder, kTemporaryName, 0);
    return false;
}

bool Replace(int folder, const std::string& folderPath, const std::string& name, const CurrentFile& current,
             const std::string& bytes, DWORD* error) {
    if (!WriteTemporary(folder, folderPath, current, bytes, error)) return false;
    if (renameat(folder, kTemporaryName, folder, name.c_str()) != 0) {
        FailErrno(error);
        unlinkat(folder, kTemporaryName, 0);
        return false;
    }
    NoteReplacedFile(folderPath + "/" + name);
    NoteNameAdded(folderPath + "/" + name);
    return true;
}

std::mutex& WriterMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

bool ReadProfileBytes(const std::string& unixPath, std::string& bytes, DWORD* error) {
    FileDescriptor fd(open(unixPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return FailErrno(error);
    struct stat info;
    if (fstat(fd.get(), &info) != 0) return FailErrno(error);
    if (!S_ISREG(info.st_mode)) return Fail(error, ERROR_FILE_NOT_FOUND);
    if (!ReadUpTo(fd.get(), kMaxProfileBytes, bytes)) return FailErrno(error);
    if (bytes.size() > kMaxProfileBytes) bytes.resize(kMaxProfileBytes);
    return true;
}

bool UpdateProfileFile(const std::string& unixPath, const ProfileEdit& edit, DWORD* error) {
    std::string path = FollowLink(unixPath);
    size_t slash = path.rfind('/');
    std::string folderPath = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    std::lock_guard<std::mutex> guard(WriterMutex());
    FileDescriptor folder(open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return errno == ENOENT || errno == ENOTDIR ? Fail(error, ERROR_PATH_NOT_FOUND) : FailErrno(error);
    while (flock(folder.get(), LOCK_EX) != 0)
        if (errno != EINTR) return FailErrno(error);

    CurrentFile current;
    if (!OpenCurrent(folder.get(), name, current, error)) return false;
    std::string bytes = current.bytes;
    if (!edit(current.fd.valid(), bytes)) return true;
    if (current.fd.valid() && bytes == current.bytes) return true;
    return Replace(folder.get(), folderPath, name, current, bytes, error);
}

}  // namespace wincompat
