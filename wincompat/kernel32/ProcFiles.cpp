#include "kernel32/ProcFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace wincompat {

namespace {

std::string ProcPath(int pid, const char* name) { return "/proc/" + std::to_string(pid) + "/" + name; }

}  // namespace

std::string ReadProcFile(int pid, const char* name) {
    std::string bytes;
    int fd = open(ProcPath(pid, name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    char buffer[4096];
    for (;;) {
        ssize_t count = read(fd, buffer, sizeof(buffer));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;  // the end, or the process ended (ESRCH)
        bytes.append(buffer, static_cast<size_t>(count));
    }
    close(fd);
    return bytes;
}

std::string ReadProcLink(int pid, const char* name) {
    char target[PATH_MAX];
    ssize_t length = readlink(ProcPath(pid, name).c_str(), target, sizeof(target));
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

}  // namespace wincompat
