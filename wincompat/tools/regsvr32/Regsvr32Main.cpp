// regsvr32: registers (or with /u unregisters) a shell-extension library.
// Exit codes as Windows's regsvr32: 0 done, 1 bad arguments, 3 the library
// cannot be found ("failed to load"), 5 the registration failed. Without /s
// the message goes to standard output instead of a message box.
#include <windows.h>

#include "regsvr32/Regsvr32Arguments.h"
#include "regsvr32/Regsvr32History.h"
#include "regsvr32/Regsvr32Records.h"
#include "prefix/Prefix.h"

#include <stdio.h>

namespace {

const int kFailArguments = 1;
const int kFailLoad = 3;
const int kFailRegister = 5;

void Say(const regsvr32::Regsvr32Arguments& arguments, const std::wstring& message) {
    if (!arguments.silent) printf("%s\n", wincompat::Utf8FromWide(message).c_str());
}

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FullPath(const std::wstring& path) {
    WCHAR full[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length && length < MAX_PATH ? std::wstring(full, length) : path;
}

int Run(const regsvr32::Regsvr32Arguments& arguments) {
    std::wstring path = FullPath(arguments.library);
    const wchar_t* entry = arguments.unregister ? L"DllUnregisterServer" : L"DllRegisterServer";
    if (!IsFile(path)) {
        Say(arguments, L"The module \"" + path + L"\" failed to load.");
        return kFailLoad;
    }
    LONG result = arguments.unregister ? regsvr32::UnregisterLibrary(path) : regsvr32::RegisterLibrary(path);
    if (result != ERROR_SUCCESS) {
        Say(arguments, std::wstring(entry) + L" in " + path + L" failed. Error " + std::to_wstring(result) + L".");
        return kFailRegister;
    }
    Say(arguments, std::wstring(entry) + L" in " + path + L" succeeded.");
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    std::wstring commandLine = GetCommandLineW();
    regsvr32::Regsvr32Arguments arguments;
    if (!regsvr32::ParseArguments(commandLine, arguments)) {
        if (!arguments.silent) printf("Usage: regsvr32 [/u] [/s] [/n] [/i[:cmdline]] dllname\n");
        regsvr32::AppendHistory("invalid", kFailArguments, commandLine);
        return kFailArguments;
    }
    int exitCode = Run(arguments);
    regsvr32::AppendHistory(arguments.unregister ? "unregister" : "register", exitCode, commandLine);
    return exitCode;
}
