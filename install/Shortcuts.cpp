#include "install/Shortcuts.h"

#include "BuildConfig.h"
#include "app/InstallOptions.h"

#include <shlobj.h>

namespace {

const wchar_t kDisplayName[] = L"Orvanti文件数据恢复";
const wchar_t kUninstallLinkName[] = L"卸载.lnk";

ShortcutSet ProductShortcuts(const std::wstring& installFolder) {
    return ShortcutSet{L"Pellamor.exe", installFolder, L"Dravenko.exe", kDisplayName,
                       VELMORA_WEBSITE_HOST L"/luping"};
}

// Deletes the link first, so that no earlier link survives a failed save.
void ReplaceShellLink(const std::wstring& linkPath, const std::wstring& targetPath) {
    if (!FitsPathBuffer(linkPath) || !FitsPathBuffer(targetPath)) return;
    DeleteFileW(linkPath.c_str());
    CreateShellLink(linkPath, targetPath, L"");
}

}  // namespace

bool CreateShortcuts(CStepsScript* script, const std::wstring& installFolder) {
    bool startMenu = GetIntOption(L"IsStartmenu") != 0;
    bool desktop = GetIntOption(L"IsDesttopCut") != 0;
    ShortcutSet set = ProductShortcuts(installFolder);
    if (startMenu) CreateStartMenuShortcuts(set);
    WCHAR desktopFolder[MAX_PATH] = {};
    if (desktop && SHGetSpecialFolderPathW(nullptr, desktopFolder, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE))
        CreateDesktopShortcut(set, desktopFolder);
    return true;
}

void CreateStartMenuShortcuts(const ShortcutSet& set) {
    WCHAR programs[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE)) return;
    std::wstring folder = std::wstring(programs) + L"\\" + set.displayName + L"\\";
    if (!FitsPathBuffer(folder)) return;
    CreateFolderChain(folder);
    WriteWebsiteShortcuts(set, folder, set.websiteAddress);
    ReplaceShellLink(folder + set.displayName + L".lnk", set.installFolder + set.launcherFile);
    ReplaceShellLink(folder + kUninstallLinkName, set.installFolder + set.uninstallerFile);
}

void CreateDesktopShortcut(const ShortcutSet& set, const std::wstring& desktopFolder) {
    std::wstring link = desktopFolder + L"\\" + set.displayName + L".lnk";
    std::wstring target = set.installFolder + set.launcherFile;
    if (FitsPathBuffer(link) && FitsPathBuffer(target)) CreateShellLink(link, target, nullptr);
}
