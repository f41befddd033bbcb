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

// One key of a profile file; the file's Windows path names a failure.
StepResult WriteProfileText(const wchar_t* section, const wchar_t* key, const wchar_t* text,
                            const std::wstring& file) {
    if (WritePrivateProfileStringW(section, key, text, file.c_str())) return std::nullopt;
    return StepFailed("writing", file, GetLastError());
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

StepResult WriteUserConfig() {
    std::wstring installPath = GetOption(L"InstallPath");
    std::wstring qid = GetOption(L"Qid");
    std::wstring configFile = GetOption(L"UserDataFilePath");

    WCHAR date[MAX_PATH] = {};
    wsprintfW(date, L"%d", GetLocalDateNumber());
    // The low 32 bits of the clock, as a signed number.
    WCHAR stamp[MAX_PATH] = {};
    wsprintfW(stamp, L"%ld", static_cast<long>(static_cast<int32_t>(_time64(nullptr))));
    const std::pair<const wchar_t*, const wchar_t*> globals[] = {
        {L"InstallPath", installPath.c_str()},
        {L"InstallTime", date},
        {L"Spreader", qid.c_str()},
        {L"InstallTimeStamp", stamp},
    };
    for (const auto& [key, text] : globals)
        if (StepResult failed = WriteProfileText(L"Globals", key, text, configFile)) return failed;

    // Never into a folder an install would refuse (a file, a link, a system folder).
    if (CheckInstallFolder(installPath) != InstallFolderVerdict::Acceptable) return std::nullopt;
    std::wstring versionFile = VersionFilePath(installPath);
    WCHAR version[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Version", L"ver", L"", version, MAX_PATH, versionFile.c_str());
    if (version[0]) return std::nullopt;
    return WriteProfileText(L"Version", L"ver", ProductVersion, versionFile);
}
