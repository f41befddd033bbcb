#include "install/ProductProcesses.h"

#include <tlhelp32.h>
#include <wchar.h>

const wchar_t* const ProductExecutables[5] = {L"Pellamor.exe", L"Quistral.exe", L"Dravenko.exe", L"Myrtelo.exe",
                                              L"Sorvanda.exe"};

namespace {

const size_t kCommandLineChars = 1039;
const wchar_t kNoArguments[] = L"";

wchar_t FoldAsciiCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualAsciiNoCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b)
        if (FoldAsciiCase(*a) != FoldAsciiCase(*b)) return false;
    return *a == *b;
}

// Closes the snapshot on every way out.
class Snapshot {
public:
    Snapshot() : handle_(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}
    ~Snapshot() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

DWORD FindProcessByName(const wchar_t* name) {
    Snapshot snapshot;
    if (snapshot.Get() == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(PROCESSENTRY32W);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (EqualAsciiNoCase(entry.szExeFile, name)) return entry.th32ProcessID;
    return 0;
}

bool StopProductProcesses() {
    const UINT kExitCode = 2;
    for (const wchar_t* name : ProductExecutables) {
        // An id of 0 makes both calls fail, which is as good as nothing to end.
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, FindProcessByName(name));
        TerminateProcess(process, kExitCode);
        if (process) CloseHandle(process);
    }
    return true;
}

namespace {

// Starts command + " " + the empty argument text; 0 with both handles in
// information, else the error. A command that does not fit is refused rather
// than run cut short.
DWORD StartCommandLine(const wchar_t* command, bool showWindow, PROCESS_INFORMATION& information) {
    if (!command) return ERROR_INVALID_PARAMETER;
    size_t commandLength = wcslen(command);
    size_t argumentsLength = wcslen(kNoArguments);
    if (commandLength + 1 + argumentsLength >= kCommandLineChars) return ERROR_INSUFFICIENT_BUFFER;
    wchar_t commandLine[kCommandLineChars] = {};
    wmemcpy(commandLine, command, commandLength);
    commandLine[commandLength] = L' ';
    wmemcpy(commandLine + commandLength + 1, kNoArguments, argumentsLength);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(STARTUPINFOW);  // 68 bytes in the 32-bit product
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = showWindow ? SW_SHOW : SW_HIDE;
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &information))
        return GetLastError();
    return 0;
}

// Closes the handles of a started process on every way out.
class StartedProcess {
public:
    StartedProcess() = default;
    ~StartedProcess() {
        if (information_.hThread) CloseHandle(information_.hThread);
        if (information_.hProcess) CloseHandle(information_.hProcess);
    }
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;
    PROCESS_INFORMATION& Information() { return information_; }
    HANDLE Process() const { return information_.hProcess; }

private:
    PROCESS_INFORMATION information_ = {};
};

}  // namespace

DWORD RunCommandLine(const wchar_t* command, bool showWindow) {
    StartedProcess started;
    return StartCommandLine(command, showWindow, started.Information());
}

DWORD RunCommandLineAndWait(const wchar_t* command, bool showWindow, DWORD timeoutMs, DWORD& exitCode) {
    StartedProcess started;
    if (DWORD error = StartCommandLine(command, showWindow, started.Information())) return error;
    DWORD waited = WaitForSingleObject(started.Process(), timeoutMs);
    if (waited == WAIT_TIMEOUT) return WAIT_TIMEOUT;
    if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(started.Process(), &exitCode)) return 0;
    DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}
