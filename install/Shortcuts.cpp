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
StepResult ReplaceShellLink(const std::wstring& linkPath, const std::wstring& targetPath) {
    if (!FitsPathBuffer(linkPath) || !FitsPathBuffer(targetPath)) return std::nullopt;
    if (!DeleteFileW(linkPath.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND)
        return StepFailed("replacing", linkPath, GetLastError());
    return CreateShellLink(linkPath, targetPath, L"");
}

}  // namespace

StepResult CreateShortcuts(CStepsScript* script, const std::wstring& installFolder) {
    ShortcutSet set = ProductShortcuts(installFolder);
    if (GetIntOption(L"IsStartmenu") != 0)
        if (StepResult failed = CreateStartMenuShortcuts(set)) return failed;
    if (GetIntOption(L"IsDesttopCut") == 0) return std::nullopt;
    WCHAR desktopFolder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, desktopFolder, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE))
        return StepFailed("finding the folder", L"CSIDL_COMMON_DESKTOPDIRECTORY", GetLastError());
    return CreateDesktopShortcut(set, desktopFolder);
}

StepResult CreateStartMenuShortcuts(const ShortcutSet& set) {
    WCHAR programs[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE))
        return StepFailed("finding the folder", L"CSIDL_COMMON_PROGRAMS", GetLastError());
    std::wstring folder = std::wstring(programs) + L"\\" + set.displayName + L"\\";
    if (!FitsPathBuffer(folder)) return std::nullopt;
    if (!CreateFolderChain(folder)) return StepFailed("creating the folder", folder, GetLastError());
    if (StepResult failed = WriteWebsiteShortcuts(set, folder, set.websiteAddress)) return failed;
    if (StepResult failed = ReplaceShellLink(folder + set.displayName + L".lnk", set.installFolder + set.launcherFile))
        return failed;
    return ReplaceShellLink(folder + kUninstallLinkName, set.installFolder + set.uninstallerFile);
}

StepResult CreateDesktopShortcut(const ShortcutSet& set, const std::wstring& desktopFolder) {
    std::wstring link = desktopFolder + L"\\" + set.displayName + L".lnk";
    std::wstring target = set.installFolder + set.launcherFile;
    if (!FitsPathBuffer(link) || !FitsPathBuffer(target)) return std::nullopt;
    return CreateShellLink(link, target, nullptr);
}
