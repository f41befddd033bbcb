#include "kernel32/ProcessImageName.h"

#include "kernel32/ProcFiles.h"
#include "prefix/Prefix.h"

#include <unistd.h>

#include <string_view>

namespace wincompat {

namespace {

const size_t kCommLength = 15;  // TASK_COMM_LEN without its terminator

std::string BaseName(std::string_view path) {
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExeBaseName(int pid) {
    const std::string target = ReadProcLink(pid, "exe");
    if (target.empty()) return {};
    std::string_view path(target);
    const std::string_view deleted = " (deleted)";
    if (path.size() > deleted.size() && path.substr(path.size() - deleted.size()) == deleted)
        path.remove_suffix(deleted.size());
    return BaseName(path);
}

// The first three command-line words cover "interpreter [option] script".
void AddCommandLineNames(int pid, std::vector<std::string>& candidates) {
    std::string raw = ReadProcFile(pid, "cmdline");
    size_t start = 0;
    for (int word = 0; word < 3 && start < raw.size(); ++word) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        candidates.push_back(BaseName(std::string_view(raw).substr(start, end - start)));
        start = end + 1;
    }
}

}  // namespace

std::string ChooseImageName(const std::string& comm, const std::vector<std::string>& candidates) {
    if (comm.size() < kCommLength) return comm;  // not cut: the whole name
    for (const std::string& candidate : candidates)
        if (candidate.compare(0, comm.size(), comm) == 0) return candidate;
    return comm;
}

std::wstring ProcessImageName(int pid) {
    std::string comm = ReadProcFile(pid, "comm");
    if (!comm.empty() && comm.back() == '\n') comm.pop_back();
    if (comm.empty()) return {};
    // A process caught while it starts (an interpreter loading its script) may
    // not show its command line yet: look again briefly before settling for
    // the kernel's cut name.
    std::string name;
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::vector<std::string> candidates{ExeBaseName(pid)};
        AddCommandLineNames(pid, candidates);
        name = ChooseImageName(comm, candidates);
        // Kernel threads have no program file: nothing to wait for.
        bool starting = candidates.size() == 1 && !candidates.front().empty();
        if (name.size() > comm.size() || comm.size() < kCommLength || !starting) break;
        usleep(1000);
    }
    return WideFromUtf8(name);
}

}  // namespace wincompat
