#include "ReplacementFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
    struct stat info;
    if (stat(target_.c_str(), &info) != 0) {
        Fail(target_);
        return;
    }
    std::vector<char> pattern(target_.begin(), target_.end());
    const char suffix[] = ".new-XXXXXX";
    pattern.insert(pattern.end(), suffix, suffix + sizeof(suffix));
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        Fail(std::string(pattern.data()));
        return;
    }
    path_ = pattern.data();
    mode_ = info.st_mode & 07777;
}

ReplacementFile::~ReplacementFile() {
    if (fd_ >= 0) close(fd_);
    if (!path_.empty() && !committed_) unlink(path_.c_str());
}

bool ReplacementFile::Fail(const std::string& what) {
    error_ = what + ": " + strerror(errno);
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    return false;
}

bool ReplacementFile::Write(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fail(path_);
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool ReplacementFile::Commit() {
    if (fd_ < 0) return false;
    close(fd_);
    // Reopened by name: a program that wrote path() may have made a new file.
    fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0 || fchmod(fd_, mode_) != 0 || fsync(fd_) != 0) return Fail(path_);
    close(fd_);
    fd_ = -1;
    if (rename(path_.c_str(), target_.c_str()) != 0) return Fail(target_);
    committed_ = true;
    return true;
}
