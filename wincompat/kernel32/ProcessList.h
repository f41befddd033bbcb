// The processes of the machine, read from /proc.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace wincompat {

struct ProcessEntry {
    DWORD processId = 0;
    DWORD parentProcessId = 0;
    DWORD threads = 0;
    std::wstring exeFile;  // see ProcessImageName.h
};

struct ProcessStat {
    char state = 0;  // 'R', 'S', ..., 'Z' for exited and not yet reaped
    DWORD parentProcessId = 0;
    DWORD threads = 0;
};

// False when the process does not exist (any more).
bool ReadProcessStat(int pid, ProcessStat& stat);

// The running processes of this prefix (ProcessScope.h) in ascending id
// order. Exited processes that their parent has not reaped yet are left out:
// Windows lists no process that has ended.
std::vector<ProcessEntry> ListProcesses();

}  // namespace wincompat
