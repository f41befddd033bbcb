// Start-menu, desktop and internet shortcuts, as the install options ask.
// Failures leave the shortcut concerned missing and are not reported; a path
// longer than a MAX_PATH buffer holds skips its shortcut.
#pragma once

#include "install/ShortcutSet.h"

#include <windows.h>

#include <string>

class CStepsScript;

// Reads "IsStartmenu" and "IsDesttopCut"; always true.
bool CreateShortcuts(CStepsScript* script, const std::wstring& installFolder);

// The all-users start-menu folder named after the product, holding the
// launcher and uninstaller links and the website shortcut.
void CreateStartMenuShortcuts(const ShortcutSet& set);
// The website's internet shortcut (.url) in the start-menu folder and the
// install folder; a link form of it left in the start-menu folder is deleted.
void WriteWebsiteShortcuts(const ShortcutSet& set, const std::wstring& startMenuFolder,
                           const std::wstring& websiteAddress);
// The internet shortcut's name in the start-menu and install folders.
extern const wchar_t WebsiteShortcutFileName[];  // "访问官方网站.url"

// The launcher's link on the all-users desktop, overwriting an earlier one.
void CreateDesktopShortcut(const ShortcutSet& set, const std::wstring& desktopFolder);

// Saves a shell link to targetPath with SW_SHOWNORMAL and, unless arguments is
// nullptr, those arguments (even empty). True when the link object was made
// and asked to save itself.
bool CreateShellLink(const std::wstring& linkPath, const std::wstring& targetPath, LPCWSTR arguments);

// Creates every missing level of path; a level is cut at each backslash, so a
// trailing backslash creates the last level too. False when one cannot be made.
bool CreateFolderChain(const std::wstring& path);

// Whether text fits a MAX_PATH buffer with its terminator.
inline bool FitsPathBuffer(const std::wstring& text) { return text.size() < MAX_PATH; }
