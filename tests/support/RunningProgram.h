// A program file started with CreateProcessW (asked to sleep), ended when
// the test is done.
#pragma once

#include <windows.h>

#include "prefix/Prefix.h"

#include <string>

class RunningProgram {
public:
    explicit RunningProgram(const std::string& path) {
        std::wstring commandLine = L"\"" + wincompat::UnixToDos(path) + L"\" sleep 60";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &information_);
    }
    ~RunningProgram() {
        if (!started_) return;
        TerminateProcess(information_.hProcess, 0);
        WaitForSingleObject(information_.hProcess, 10000);
        CloseHandle(information_.hThread);
        CloseHandle(information_.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return information_.dwProcessId; }
    HANDLE Process() const { return information_.hProcess; }
    bool Ends() const { return WaitForSingleObject(information_.hProcess, 10000) == WAIT_OBJECT_0; }
    bool Runs() const { return WaitForSingleObject(information_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(information_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION information_{};
    BOOL started_ = FALSE;
};
