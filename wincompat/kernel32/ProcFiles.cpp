#include "kernel32/ProcFiles.h"

#include "prefix/HostFile.h"

#include <limits.h>
#include <unistd.h>

namespace wincompat {

namespace {

// More than any status, stat or command line holds.
constexpr size_t kProcFileLimit = 1 << 20;

std::string ProcPath(int pid, const char* name) { return "/proc/" + std::to_string(pid) + "/" + name; }

}  // namespace

std::string ReadProcFile(int pid, const char* name) {
    std::string bytes;
    ReadHostFile(ProcPath(pid, name), bytes, kProcFileLimit);
    return bytes;
}

bool ReadProcFile(int pid, const char* name, std::string& bytes) {
    bytes.clear();
    return ReadHostFile(ProcPath(pid, name), bytes, kProcFileLimit) || !bytes.empty();
}

std::string ReadProcLink(int pid, const char* name) {
    char target[PATH_MAX];
    ssize_t length = readlink(ProcPath(pid, name).c_str(), target, sizeof(target));
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

}  // namespace wincompat
