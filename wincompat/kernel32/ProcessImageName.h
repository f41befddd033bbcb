// The name tool-help snapshots give a process (szExeFile): the name of the
// program file it was started from, as Windows records it at creation.
#pragma once

#include <string>
#include <vector>

namespace wincompat {

// From /proc: the kernel sets comm from the file execve was given (for a #!
// script, the script, not its interpreter; after a rename, still the name the
// process was started under) but cuts it to 15 bytes. A cut comm is completed
// from the base names of exe and of the first command-line words. Empty for a
// process that is gone.
std::wstring ProcessImageName(int pid);

// The rule itself. comm is /proc/PID/comm; candidates are the base names of
// /proc/PID/exe (without " (deleted)") and of the first command-line words.
std::string ChooseImageName(const std::string& comm, const std::vector<std::string>& candidates);

}  // namespace wincompat
