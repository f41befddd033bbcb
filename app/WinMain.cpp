// Process entry: decides between the wizard and the silent install.
#include "app/QuorindelApp.h"
#include "install/InstallerComposer.h"
#include "report/CrashDumpWriter.h"
#include "toolkit/UIlib.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {

// Created before wWinMain runs, destroyed at exit, in this order; the crash
// dump writer first, so that it covers the construction of the others.
CrashDumpWriterInstallation theCrashDumpWriter;
CInstallerComposer theComposer;
CQuorindelApp theApp;

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return arguments;
    for (int i = 0; i < count; ++i)
        if (argv[i]) arguments.emplace_back(argv[i]);
    LocalFree(argv);
    return arguments;
}

// The switch is the whole word "slient" in any letter case, anywhere.
bool IsSilentRequested(const std::vector<std::wstring>& arguments) {
    for (const std::wstring& argument : arguments)
        if (_wcsicmp(argument.c_str(), L"slient") == 0) return true;
    return false;
}

// Libraries come from the system folder only: a downloaded installer's folder
// may hold planted DLLs (d3d9.dll, 7z.dll) that would otherwise run. Looked
// up, not imported, so the installer still starts on a Windows 7 without the
// update that brought the function.
void LoadLibrariesFromSystemFolderOnly() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    FARPROC function = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (function)
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(function))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The instance mutex, held from the start of the run until the process ends.
// Its existence is the sign: whether this process owns it does not matter.
class CInstanceMutex {
public:
    CInstanceMutex() {
        handle_ = CreateMutexW(nullptr, FALSE, CQuorindelApp::kInstanceMutexName);
        // A mutex that cannot be made at all must not keep the install from running.
        alreadyRunning_ = handle_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    ~CInstanceMutex() {
        if (handle_) CloseHandle(handle_);
    }
    CInstanceMutex(const CInstanceMutex&) = delete;
    CInstanceMutex& operator=(const CInstanceMutex&) = delete;

    bool AlreadyRunning() const { return alreadyRunning_; }

private:
    HANDLE handle_ = nullptr;
    bool alreadyRunning_ = false;
};

// The wizard tells the user; a silent run leaves one line for whoever started it.
void ReportAlreadyRunning(bool silent) {
    if (silent) {
        fputs("Velmora Setup is already running.\n", stderr);
        fflush(stderr);
        return;
    }
    MessageBoxW(nullptr, L"安装程序已在运行。", L"安装向导", MB_ICONINFORMATION);
}

}  // namespace

CQuorindelApp& TheApp() { return theApp; }
CInstallerComposer& TheComposer() { return theComposer; }

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    LoadLibrariesFromSystemFolderOnly();
    if (FAILED(CoInitialize(nullptr))) return 0;
    std::vector<std::wstring> arguments = CommandLineArguments();
    bool silent = IsSilentRequested(arguments);
    // Before anything is written or shown: a second installer stops here.
    CInstanceMutex singleInstance;
    if (singleInstance.AlreadyRunning()) {
        ReportAlreadyRunning(silent);
        CoUninitialize();
        return CQuorindelApp::kExitAlreadyRunning;
    }
    if (!silent) {
        DuiLib::CPaintManagerUI::SetInstance(instance);
        // A library that loaded stays loaded.
        if (!LoadLibraryW(L"d3d9.dll"))
            MessageBoxW(nullptr, L"加载 d3d9.dll 失败，一些特效可能无法显示！", L"信息提示", MB_ICONWARNING);
    }
    theApp.Prepare(silent);
    int exitCode = theApp.Run();
    CoUninitialize();
    return exitCode;
}
