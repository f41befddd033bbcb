// Tool-help snapshots of the process list.
#include <tlhelp32.h>

#include "kernel32/Handles.h"
#include "kernel32/ProcessList.h"

#include <wchar.h>

#include <algorithm>

#include <mutex>

namespace wincompat {

namespace {

class ProcessSnapshot : public KernelObject {
public:
    explicit ProcessSnapshot(std::vector<ProcessEntry> entries) : entries_(std::move(entries)) {}

    // The entry at the cursor, which then moves on; false at the end.
    bool Next(bool fromStart, ProcessEntry& entry) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (fromStart) next_ = 0;
        if (next_ >= entries_.size()) return false;
        entry = entries_[next_++];
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<ProcessEntry> entries_;
    size_t next_ = 0;
};

void FillEntry(const ProcessEntry& from, PROCESSENTRY32W& to) {
    to.cntUsage = 0;
    to.th32ProcessID = from.processId;
    to.th32DefaultHeapID = 0;
    to.th32ModuleID = 0;
    to.cntThreads = from.threads;
    to.th32ParentProcessID = from.parentProcessId;
    to.pcPriClassBase = 8;  // normal priority class
    to.dwFlags = 0;
    size_t length = std::min(from.exeFile.size(), static_cast<size_t>(MAX_PATH - 1));
    wmemcpy(to.szExeFile, from.exeFile.c_str(), length);
    to.szExeFile[length] = L'\0';
}

BOOL NextEntry(HANDLE snapshot, LPPROCESSENTRY32W entry, bool fromStart) {
    std::shared_ptr<ProcessSnapshot> object = FindHandleOf<ProcessSnapshot>(snapshot);
    if (!object) return FALSE;
    if (!entry || entry->dwSize < sizeof(PROCESSENTRY32W)) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    ProcessEntry found;
    if (!object->Next(fromStart, found)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    FillEntry(found, *entry);
    return TRUE;
}

}  // namespace

}  // namespace wincompat

extern "C" HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    if (!(flags & TH32CS_SNAPPROCESS) || (flags & (TH32CS_SNAPHEAPLIST | TH32CS_SNAPTHREAD | TH32CS_SNAPMODULE))) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    auto snapshot = std::make_shared<wincompat::ProcessSnapshot>(wincompat::ListProcesses());
    return wincompat::AddHandle(std::move(snapshot));
}

extern "C" BOOL WINAPI Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    return wincompat::NextEntry(snapshot, entry, true);
}

extern "C" BOOL WINAPI Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    return wincompat::NextEntry(snapshot, entry, false);
}
