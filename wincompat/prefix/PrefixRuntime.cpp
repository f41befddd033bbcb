#include "prefix/PrefixRuntime.h"

#include "prefix/ByteLocks.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace wincompat {

namespace {

// The process table: one byte per process id; no data is ever written.
std::atomic<int> processTable{-1};

}  // namespace

std::string RuntimeFolder(const std::string& prefixRoot) {
    if (prefixRoot.empty()) return {};
    std::string folder = prefixRoot + "/.objects";
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return {};
    return folder;
}

void JoinPrefixProcesses(const std::string& prefixRoot) {
    std::string folder = RuntimeFolder(prefixRoot);
    if (folder.empty() || processTable.load() >= 0) return;
    int fd = open((folder + "/processes").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    if (!TryLockByte(fd, getpid(), ByteLock::kShared)) {
        close(fd);
        return;
    }
    processTable.store(fd);
}

bool IsPrefixProcess(int pid) {
    int fd = processTable.load();
    return fd >= 0 && pid > 0 && ByteLockedElsewhere(fd, pid);
}

}  // namespace wincompat
