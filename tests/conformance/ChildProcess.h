// The suite's own program started again as a helper process of a case
// ("--child NAME ..."), ended and waited for through the Windows API.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace conformance {

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs this program with "--child name arguments..."; false (with the last
    // error) when CreateProcessW fails.
    bool Start(const std::wstring& name, const std::vector<std::wstring>& arguments);
    // WaitForSingleObject on the process.
    DWORD Wait(DWORD milliseconds);
    DWORD ExitCode() const;
    bool Terminate(UINT exitCode);
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_ = {};
};

// Polls until the file exists; false after the timeout.
bool WaitForFile(const std::wstring& path, DWORD milliseconds);

}  // namespace conformance
