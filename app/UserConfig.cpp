#include "app/UserConfig.h"

#include "app/InstallFolderCheck.h"
#include "app/InstallOptions.h"
#include "app/ProductPaths.h"

#include <windows.h>
#include <shlwapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <wchar.h>

#include <string>

namespace {

// The folder the product key names, in the 32-bit view of HKLM where an
// earlier install (run elevated) wrote it; empty when there is none.
std::wstring ProductKeyInstallPath() {
    HKEY key = nullptr;
    std::wstring path = std::wstring(L"Software\\") + ProductFolderName;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return std::wstring();
    WCHAR value[MAX_PATH] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(value) - sizeof(WCHAR);
    LONG result = RegQueryValueExW(key, L"InstallPath", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return std::wstring();
    return std::wstring(value, wcsnlen(value, MAX_PATH));
}

// The user's own file may name any folder; it is taken only where the
// machine's record, which the user cannot write, names the same one.
bool MachineRecordNames(const std::wstring& folder) {
    return IsSameFolder(ProductKeyInstallPath(), folder);
}

}  // namespace

void LoadPreviousInstallPath() {
    std::wstring configFile = GetOption(L"UserDataFilePath");
    WCHAR recorded[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Globals", L"InstallPath", L"", recorded, MAX_PATH, configFile.c_str());
    if (recorded[0] && PathFileExistsW(recorded) && MachineRecordNames(recorded) &&
        CheckInstallFolder(recorded) == InstallFolderVerdict::Acceptable)
        SetOption(L"InstallPath", recorded);
}

int GetLocalDateNumber() {
    __time64_t now = _time64(nullptr);
    struct tm* local = _localtime64(&now);
    if (!local) return 0;
    char text[32] = {};
    snprintf(text, sizeof(text), "%d%.2d%.2d", local->tm_year + 1900, local->tm_mon + 1, local->tm_mday);
    return atoi(text);
}

void WriteUserConfig() {
    std::wstring installPath = GetOption(L"InstallPath");
    std::wstring qid = GetOption(L"Qid");
    std::wstring configFile = GetOption(L"UserDataFilePath");

    WCHAR number[MAX_PATH] = {};
    WritePrivateProfileStringW(L"Globals", L"InstallPath", installPath.c_str(), configFile.c_str());
    wsprintfW(number, L"%d", GetLocalDateNumber());
    WritePrivateProfileStringW(L"Globals", L"InstallTime", number, configFile.c_str());
    WritePrivateProfileStringW(L"Globals", L"Spreader", qid.c_str(), configFile.c_str());
    // The low 32 bits of the clock, as a signed number.
    wsprintfW(number, L"%ld", static_cast<long>(static_cast<int32_t>(_time64(nullptr))));
    WritePrivateProfileStringW(L"Globals", L"InstallTimeStamp", number, configFile.c_str());

    // Never into a folder an install would refuse (a file, a link, a system folder).
    if (CheckInstallFolder(installPath) != InstallFolderVerdict::Acceptable) return;
    std::wstring versionFile = VersionFilePath(installPath);
    WCHAR version[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Version", L"ver", L"", version, MAX_PATH, versionFile.c_str());
    if (!version[0]) WritePrivateProfileStringW(L"Version", L"ver", ProductVersion, versionFile.c_str());
}
