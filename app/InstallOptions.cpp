#include "app/InstallOptions.h"

#include "app/ProductPaths.h"
#include "report/SystemInfo.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdlib.h>

namespace {

void CreateFolderIfMissing(const std::wstring& folder) {
    if (!PathFileExistsW(folder.c_str())) CreateDirectoryW(folder.c_str(), nullptr);
}

std::wstring LocalAppDataFolder() {
    WCHAR folder[1024] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

}  // namespace

InstallOptions* GetInstallOptions() {
    static InstallOptions options;
    return &options;
}

std::wstring GetOption(const std::wstring& key) {
    const InstallOptions& options = *GetInstallOptions();
    auto found = options.find(key);
    return found == options.end() ? std::wstring() : found->second;
}

int GetIntOption(const std::wstring& key) {
    std::wstring text = GetOption(key);
    return text.empty() ? 0 : _wtoi(text.c_str());
}

void SetOption(const std::wstring& key, const std::wstring& value) { (*GetInstallOptions())[key] = value; }

void SetIntOption(const std::wstring& key, int value) {
    WCHAR text[MAX_PATH] = {};
    wsprintfW(text, L"%d", value);
    SetOption(key, text);
}

void ApplyDefaultOptions() {
    SetIntOption(L"Slien", 0);
    SetIntOption(L"IsDesttopCut", 1);
    SetIntOption(L"IsStartmenu", 1);
    SetIntOption(L"IsPinAppToTaskBar", 1);
    SetIntOption(L"DeleteUserDat", 0);
    SetOption(L"InstallFolderName", UserFolderName);
    SetOption(L"Qid", L"gf");

    std::wstring installFolder = ProductFolderPath(GetProgramFilesFolder());
    CreateFolderIfMissing(installFolder);
    SetOption(L"InstallPath", installFolder);

    std::wstring localAppData = LocalAppDataFolder();
    CreateFolderIfMissing(localAppData);
    std::wstring userFolder = UserFolderPath(localAppData);
    CreateFolderIfMissing(userFolder);
    SetOption(L"UserDataPath", userFolder);
    SetOption(L"UserDataFilePath", UserConfigFilePath(userFolder));
}
