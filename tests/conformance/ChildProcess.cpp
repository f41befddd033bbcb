#include "ChildProcess.h"

#include "Harness.h"
#include "Scratch.h"

namespace conformance {

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess) {
        if (ExitCode() == STILL_ACTIVE) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
    }
    if (info_.hThread) CloseHandle(info_.hThread);
}

bool ChildProcess::Start(const std::wstring& name, const std::vector<std::wstring>& arguments) {
    std::wstring commandLine = QuoteArgument(ProgramPath()) + L" --child " + name;
    for (const std::wstring& argument : arguments) commandLine += L" " + QuoteArgument(argument);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info_) != FALSE;
}

DWORD ChildProcess::Wait(DWORD milliseconds) { return WaitForSingleObject(info_.hProcess, milliseconds); }

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0;
    return GetExitCodeProcess(info_.hProcess, &code) ? code : 0xFFFFFFFF;
}

bool ChildProcess::Terminate(UINT exitCode) { return TerminateProcess(info_.hProcess, exitCode) != FALSE; }

bool WaitForFile(const std::wstring& path, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 20) {
        if (Exists(path)) return true;
        Sleep(20);
    }
    return Exists(path);
}

}  // namespace conformance
