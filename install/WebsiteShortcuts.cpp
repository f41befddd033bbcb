// Internet shortcuts: profile files with an [InternetShortcut] section.
#include "install/Shortcuts.h"

#include <shlobj.h>

const wchar_t WebsiteShortcutFileName[] = L"访问官方网站.url";

namespace {

const wchar_t kWebsiteShortcutName[] = L"访问官方网站";
const wchar_t kSection[] = L"InternetShortcut";

// Replaces the five keys, in this order; other content of the file stays.
StepResult WriteInternetShortcut(const std::wstring& file, const std::wstring& address,
                                 const std::wstring& iconFile) {
    const wchar_t* keys[][2] = {
        {L"URL", address.c_str()}, {L"IconFile", iconFile.c_str()}, {L"HotKey", L"0"},
        {L"IDList", L"0"},         {L"IconIndex", L"0"},
    };
    for (const auto& key : keys)
        if (!WritePrivateProfileStringW(kSection, key[0], key[1], file.c_str()))
            return StepFailed("writing", file, GetLastError());
    return std::nullopt;
}

}  // namespace

StepResult WriteWebsiteShortcuts(const ShortcutSet& set, const std::wstring& startMenuFolder,
                                 const std::wstring& websiteAddress) {
    std::wstring staleLink = startMenuFolder + kWebsiteShortcutName + L".lnk";
    if (FitsPathBuffer(staleLink)) DeleteFileW(staleLink.c_str());
    WCHAR programFiles[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE))
        return StepFailed("finding the folder", L"CSIDL_PROGRAM_FILES", GetLastError());
    std::wstring iconFile = std::wstring(programFiles) + L"\\Internet Explorer\\iexplore.exe";
    if (!FitsPathBuffer(iconFile) || !FitsPathBuffer(websiteAddress)) return std::nullopt;
    for (const std::wstring& folder : {startMenuFolder, set.installFolder}) {
        std::wstring file = folder + WebsiteShortcutFileName;
        if (!FitsPathBuffer(file)) continue;
        if (StepResult failed = WriteInternetShortcut(file, websiteAddress, iconFile)) return failed;
    }
    return std::nullopt;
}
