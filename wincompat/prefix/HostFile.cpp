#include "prefix/HostFile.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <new>

namespace wincompat {

bool ReadHostFile(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[4096];
    bool complete = false;
    while (bytes.size() < limit) {
        size_t wanted = std::min(sizeof(buffer), limit - bytes.size());
        ssize_t count = read(fd, buffer, wanted);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            complete = count == 0;  // the end; a failure is ESRCH of an ended process, EIO, ...
            break;
        }
        try {
            bytes.append(buffer, static_cast<size_t>(count));
        } catch (const std::bad_alloc&) {
            break;
        }
    }
    if (bytes.size() >= limit) complete = true;
    close(fd);
    return complete;
}

}  // namespace wincompat
