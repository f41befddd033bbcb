// Starting a unix program as a new process, with what CreateProcessW decided.
#pragma once

#include <windef.h>

#include <sys/types.h>

#include <string>
#include <vector>

namespace wincompat {

struct LaunchPlan {
    std::string program;                  // unix path of the file to run
    std::vector<std::string> arguments;   // argv, argv[0] included
    std::vector<std::string> environment;
    std::string folder;                   // empty: this process's current folder
    bool inheritDescriptors = false;      // keep the descriptors without O_CLOEXEC
    bool replaceStandard = false;         // standardFds become 0, 1 and 2
    int standardFds[3] = {-1, -1, -1};    // -1: none, which is /dev/null
};

// The new process's id, or 0 with a Windows error code (ERROR_BAD_EXE_FORMAT
// for a file the kernel cannot run). The child starts with default signal
// handling and no blocked signals, as a new Windows process would.
pid_t Launch(const LaunchPlan& plan, DWORD& error);

}  // namespace wincompat
