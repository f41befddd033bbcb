#include "install/ShellExtensions.h"

#include "app/ProductPaths.h"
#include "install/FileReplacement.h"
#include "install/ProductProcesses.h"

#include <windows.h>
#include <shlwapi.h>

const wchar_t* const ShellExtensionLibraries[2] = {L"Tellurin.dll", L"Tellurin64.dll"};

namespace {

const DWORD kRegisterDelayMs = 50;

// Started, not waited for: the outcome of regsvr32 is not examined.
int StartHidden(const std::wstring& command) {
    RunCommandLine(command.c_str(), false);
    return 1;
}

}  // namespace

int UnregisterDll(const std::wstring& libraryPath) {
    return StartHidden(L"regsvr32 /s /u \"" + libraryPath + L"\"");
}

int RegisterDll(const std::wstring& libraryPath) {
    return StartHidden(L"regsvr32 /s \"" + libraryPath + L"\"");
}

bool UnregisterShellExtensions(const std::wstring& installFolder) {
    for (const wchar_t* library : ShellExtensionLibraries) {
        std::wstring path = JoinPath(installFolder, library);
        if (!PathFileExistsW(path.c_str())) continue;
        UnregisterDll(path);
        DeleteOrRenameInPlace(path);  // a library still held is renamed aside
    }
    return true;
}

bool RegisterShellExtensions(const std::wstring& installFolder) {
    for (const wchar_t* library : ShellExtensionLibraries) {
        std::wstring path = JoinPath(installFolder, library);
        if (!PathFileExistsW(path.c_str())) continue;
        UnregisterDll(path);
        Sleep(kRegisterDelayMs);
        RegisterDll(path);
    }
    return true;
}
