// Whether a named file may be deleted or renamed right now, as Windows
// decides it: handles without FILE_SHARE_DELETE refuse both (sharing
// violation); a running executable or a mapped library refuses deletion only.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "kernel32/ShareMode.h"

namespace wincompat {

class FileInUse {
public:
    // Opens the file itself (not a symbolic link's target) for the tests.
    explicit FileInUse(const std::string& unixPath);
    ~FileInUse();
    FileInUse(const FileInUse&) = delete;
    FileInUse& operator=(const FileInUse&) = delete;

    // Holds the share guard until destruction, so that what the caller does
    // after the tests (unlink, rename) happens before any new opener's test.
    void Lock();

    // Some handle refuses FILE_SHARE_DELETE.
    bool DeleteDenied() const;
    // Running as a process or mapped as an image: delete refused, rename allowed.
    bool ImageInUse() const;

    dev_t Device() const { return device_; }
    ino_t Inode() const { return inode_; }

private:
    std::string unixPath_;
    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::optional<ShareGuard> guard_;
};

// The kernel refuses to open a running program for writing.
bool IsRunningExecutable(const std::string& unixPath);

}  // namespace wincompat
