#include "install/ShellExtensions.h"

#include "app/AnsiText.h"
#include "app/ProductPaths.h"
#include "install/FileReplacement.h"
#include "install/ProductProcesses.h"

#include <windows.h>
#include <shlwapi.h>

#include <stdio.h>

namespace {

const DWORD kRegsvr32WaitMs = 30000;

// The folder of the 32-bit system programs: SysWOW64 on 64-bit Windows, where
// this 32-bit program's regsvr32 lives, else the system folder.
std::wstring SystemProgramFolder() {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemWow64DirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// One line on standard output, in the ANSI code page like the other diagnostics.
void Diagnose(const std::wstring& line) {
    printf("%s\n", AnsiFromWide(line).c_str());
    fflush(stdout);
}

int RunRegsvr32(const std::wstring& command) {
    DWORD exitCode = 0;
    DWORD result = RunCommandLineAndWait(command.c_str(), false, kRegsvr32WaitMs, exitCode);
    if (result == WAIT_TIMEOUT)
        Diagnose(L"regsvr32 did not end within 30 s: " + command);
    else if (result != 0)
        Diagnose(L"regsvr32 could not be started (error " + std::to_wstring(result) + L"): " + command);
    else if (exitCode != 0)
        Diagnose(L"regsvr32 failed with exit code " + std::to_wstring(exitCode) + L": " + command);
    return 1;
}

}  // namespace

std::wstring Regsvr32Command() { return L"\"" + JoinPath(SystemProgramFolder(), L"regsvr32.exe") + L"\""; }

int UnregisterDll(const std::wstring& libraryPath) {
    return RunRegsvr32(Regsvr32Command() + L" /s /u \"" + libraryPath + L"\"");
}

int RegisterDll(const std::wstring& libraryPath) {
    return RunRegsvr32(Regsvr32Command() + L" /s \"" + libraryPath + L"\"");
}

bool UnregisterShellExtensions(const std::wstring& installFolder) {
    for (const wchar_t* library : ShellExtensionLibraries) {
        std::wstring path = JoinPath(installFolder, library);
        if (!PathFileExistsW(path.c_str())) continue;
        UnregisterDll(path);          // ended before the file is touched
        DeleteOrRenameInPlace(path);  // a library still held is renamed aside
    }
    return true;
}

bool RegisterShellExtensions(const std::wstring& installFolder) {
    for (const wchar_t* library : ShellExtensionLibraries) {
        std::wstring path = JoinPath(installFolder, library);
        if (!PathFileExistsW(path.c_str())) continue;
        UnregisterDll(path);
        RegisterDll(path);
    }
    return true;
}
