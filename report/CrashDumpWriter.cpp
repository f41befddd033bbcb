// Every failure (no path, no file, a failed dump) is silent: the process ends
// the same way. A partly written dump may stay behind.
#include "report/CrashDumpWriter.h"

#include <dbghelp.h>
#include <stdlib.h>
#include <wchar.h>

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

void RemoveCrashDumpWriter() { SetUnhandledExceptionFilter(previousFilter); }

}  // namespace

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exceptionPointers) {
    // Room for the suffix after the longest path the call may return; a cut
    // path (MAX_PATH) would name some other file, so it counts as no path.
    WCHAR path[MAX_PATH + 4];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return EXCEPTION_EXECUTE_HANDLER;
    wcscpy(path + length, L".dmp");
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return EXCEPTION_EXECUTE_HANDLER;
    MINIDUMP_EXCEPTION_INFORMATION exception{GetCurrentThreadId(), exceptionPointers, TRUE};
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpWithDataSegs, &exception, nullptr,
                      nullptr);
    CloseHandle(file);
    return EXCEPTION_EXECUTE_HANDLER;
}

void InstallCrashDumpWriter() {
    previousFilter = SetUnhandledExceptionFilter(CrashDumpFilter);
    atexit(RemoveCrashDumpWriter);
}
