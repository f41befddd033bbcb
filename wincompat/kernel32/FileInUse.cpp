#include "kernel32/FileInUse.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat {

FileInUse::FileInUse(const std::string& unixPath) : unixPath_(unixPath) {
    fd_ = open(unixPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (fd_ >= 0 && fstat(fd_, &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
}

FileInUse::~FileInUse() {
    guard_.reset();
    if (fd_ >= 0) close(fd_);
}

void FileInUse::Lock() {
    if (fd_ >= 0 && !guard_) guard_.emplace(fd_);
}

bool FileInUse::DeleteDenied() const { return fd_ >= 0 && wincompat::DeleteDenied(fd_); }

bool FileInUse::ImageInUse() const {
    if (fd_ < 0) return false;
    return ImageHeld(fd_) || IsRunningExecutable(unixPath_);
}

bool IsRunningExecutable(const std::string& unixPath) {
    int fd = open(unixPath.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return false;
    }
    return errno == ETXTBSY;
}

}  // namespace wincompat
