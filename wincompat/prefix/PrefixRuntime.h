// What the prefix keeps of its running machine: which processes use it, and
// its named kernel objects. It lives in a folder of its own at the prefix's
// top, outside the drives, where Wine reads nothing, and holds only files
// whose locks the kernel keeps; no state outlives the processes that hold it.
#pragma once

#include <string>

namespace wincompat {

// "<prefix>/.objects", made on first use; empty when it cannot be made.
std::string RuntimeFolder(const std::string& prefixRoot);

// Makes this process one of the prefix's for as long as it lives, as a Wine
// process is one of its prefix's while connected to the prefix's server: it
// holds a shared lock on the byte of its id in the prefix's process table.
// Called once, when the process first finds its prefix.
void JoinPrefixProcesses(const std::string& prefixRoot);

// The process has joined this process's prefix and still runs.
bool IsPrefixProcess(int pid);

}  // namespace wincompat
