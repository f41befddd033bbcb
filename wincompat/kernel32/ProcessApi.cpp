// Opening, ending and waiting for processes by handle.
#include <windows.h>

#include "kernel32/ProcessObject.h"

#include <unistd.h>

namespace wincompat {

namespace {

bool IsCurrentProcess(HANDLE handle) { return handle == GetCurrentProcess(); }

// The process behind a handle, if the handle grants the access.
std::shared_ptr<ProcessObject> FindProcess(HANDLE handle, DWORD access) {
    std::shared_ptr<ProcessObject> process = FindHandleOf<ProcessObject>(handle);
    if (process && !process->Allows(access)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return process;
}

}  // namespace

}  // namespace wincompat

extern "C" HANDLE WINAPI OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId) {
    if (processId == 0 || processId > static_cast<DWORD>(INT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto process = wincompat::ProcessObject::Open(static_cast<pid_t>(processId), desiredAccess);
    return process ? wincompat::AddHandle(std::move(process)) : nullptr;
}

extern "C" BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode) {
    if (wincompat::IsCurrentProcess(process)) _exit(static_cast<int>(exitCode & 0xFF));
    auto object = wincompat::FindProcess(process, PROCESS_TERMINATE);
    return object && object->Terminate(exitCode);
}

extern "C" BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (wincompat::IsCurrentProcess(process)) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto object = wincompat::FindHandleOf<wincompat::ProcessObject>(process);
    if (!object) return FALSE;
    if (!object->Allows(PROCESS_QUERY_INFORMATION) && !object->Allows(PROCESS_QUERY_LIMITED_INFORMATION)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::optional<DWORD> code = object->ExitCode();
    if (!code) {
        SetLastError(ERROR_NOT_SUPPORTED);  // ended outside our knowledge: see ProcessObject.h
        return FALSE;
    }
    *exitCode = *code;
    return TRUE;
}

extern "C" DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto object = wincompat::FindHandleOf<wincompat::WaitableObject>(handle);
    return object ? object->Wait(milliseconds) : WAIT_FAILED;
}
