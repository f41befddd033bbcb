#include "kernel32/ProcessScope.h"

#include "kernel32/ProcFiles.h"
#include "prefix/Prefix.h"
#include "prefix/PrefixRuntime.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <optional>
#include <string_view>

namespace wincompat {

namespace {

const char kPrefixVariable[] = "WINCOMPAT_PREFIX=";

std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// A process caught inside execve already runs its new program but shows no
// environment yet (a kernel thread never has one, nor a program file): look
// again briefly. Nothing when the environment cannot be read at all: the
// process is gone, or another user's, and then so is its program file.
std::optional<std::string> EnvironmentBlock(int pid) {
    std::string block;
    if (!ReadProcFile(pid, "environ", block)) return std::nullopt;
    for (int attempt = 0; attempt < 20 && block.empty(); ++attempt) {
        if (ReadProcLink(pid, "exe").empty()) break;
        usleep(1000);
        if (!ReadProcFile(pid, "environ", block)) return std::nullopt;
    }
    return block;
}

// The WINCOMPAT_PREFIX entry of an environment block, as the process was
// started with it; nothing when it has none.
std::optional<std::string> ConfiguredPrefix(std::string_view rest) {
    while (!rest.empty()) {
        size_t end = rest.find('\0');
        std::string_view entry = rest.substr(0, end);
        if (entry.substr(0, sizeof(kPrefixVariable) - 1) == kPrefixVariable)
            return std::string(entry.substr(sizeof(kPrefixVariable) - 1));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return std::nullopt;
}

}  // namespace

ProcessScope::ProcessScope() : root_(ResolvedPath(PrefixRoot())), self_(getpid()) {}

bool ProcessScope::Contains(int pid) const {
    if (pid == self_) return true;
    if (root_.empty()) return false;
    if (IsPrefixProcess(pid)) return true;
    std::optional<std::string> block = EnvironmentBlock(pid);
    if (!block) return false;
    std::optional<std::string> configured = ConfiguredPrefix(*block);
    if (configured && !configured->empty()) return NamesThisPrefix(pid, *configured);
    return RunsFromThisPrefix(pid);
}

// A relative prefix was taken from the folder the process started in; its
// current folder is the best guess left.
bool ProcessScope::NamesThisPrefix(int pid, const std::string& configured) const {
    std::string path = configured[0] == '/' ? configured : ReadProcLink(pid, "cwd") + "/" + configured;
    return ResolvedPath(path) == root_;
}

// The kernel gives the program file's path with every link resolved.
bool ProcessScope::RunsFromThisPrefix(int pid) const {
    std::string program = ReadProcLink(pid, "exe");
    return program.size() > root_.size() && program.compare(0, root_.size(), root_) == 0 &&
           program[root_.size()] == '/';
}

}  // namespace wincompat
