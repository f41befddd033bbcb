#include "kernel32/ProcessList.h"

#include "kernel32/ProcFiles.h"
#include "kernel32/ProcessImageName.h"
#include "kernel32/ProcessScope.h"

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <sstream>

namespace wincompat {

namespace {

// A /proc entry named by digits only is a process.
bool ParseProcessId(const char* name, int& pid) {
    char* end = nullptr;
    long value = strtol(name, &end, 10);
    if (end == name || *end || value <= 0) return false;
    pid = static_cast<int>(value);
    return true;
}

std::vector<int> ProcessIds() {
    std::vector<int> pids;
    std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    if (!proc) return pids;
    while (dirent* entry = readdir(proc.get())) {
        int pid = 0;
        if (ParseProcessId(entry->d_name, pid)) pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

}  // namespace

// "pid (comm) state ppid ... num_threads(20th) ..."; comm may hold ") ".
bool ReadProcessStat(int pid, ProcessStat& stat) {
    std::string text = ReadProcFile(pid, "stat");
    size_t close = text.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    std::vector<std::string> values;
    while (values.size() < 18 && fields >> field) values.push_back(field);
    if (values.size() < 18 || values[0].size() != 1) return false;
    stat.state = values[0][0];
    stat.parentProcessId = static_cast<DWORD>(strtoul(values[1].c_str(), nullptr, 10));
    stat.threads = static_cast<DWORD>(strtoul(values[17].c_str(), nullptr, 10));
    return true;
}

// A process may end at any point of this walk; whatever can no longer be read
// of it leaves it out. Most processes of the host are of no prefix, so the
// scope is asked first and only the prefix's own are read further.
std::vector<ProcessEntry> ListProcesses() {
    std::vector<ProcessEntry> entries;
    ProcessScope scope;
    for (int pid : ProcessIds()) {
        if (!scope.Contains(pid)) continue;
        ProcessStat stat;
        if (!ReadProcessStat(pid, stat) || stat.state == 'Z' || stat.state == 'X') continue;
        ProcessEntry entry;
        entry.processId = static_cast<DWORD>(pid);
        entry.parentProcessId = stat.parentProcessId;
        entry.threads = stat.threads;
        entry.exeFile = ProcessImageName(pid);
        if (!entry.exeFile.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace wincompat
