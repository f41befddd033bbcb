// Reading another process's /proc entries. The process may end at any
// moment, so every failure is an empty answer, never an exception.
#pragma once

#include <string>

namespace wincompat {

// The whole of /proc/PID/NAME (binary); what could be read when the process ends meanwhile.
std::string ReadProcFile(int pid, const char* name);

// The same, false when the entry could not be opened or read at all (the
// process is gone or another user's), true with what was read otherwise.
bool ReadProcFile(int pid, const char* name, std::string& bytes);

// The target of the link /proc/PID/NAME (exe, cwd); empty when it cannot be read.
std::string ReadProcLink(int pid, const char* name);

}  // namespace wincompat
