#include "kernel32/FileImageLock.h"

#include "kernel32/ShareMode.h"

#include <fcntl.h>
#include <unistd.h>

namespace wincompat {

std::unique_ptr<FileImageLock> FileImageLock::Hold(const std::string& unixPath) {
    int fd = open(unixPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    {
        ShareGuard guard(fd);
        if (!TakeImageLock(fd)) {
            close(fd);
            return nullptr;
        }
    }
    return std::unique_ptr<FileImageLock>(new FileImageLock(fd));
}

FileImageLock::~FileImageLock() { close(fd_); }

}  // namespace wincompat
