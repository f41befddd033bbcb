// Start-menu, desktop and internet shortcuts, as the install options ask.
// The first shortcut or folder that cannot be made ends the step with that
// failure; a path longer than a MAX_PATH buffer holds skips its shortcut on
// purpose, which is no failure.
#pragma once

#include "app/StepFailure.h"
#include "install/ShortcutSet.h"

#include <windows.h>

#include <string>

class CStepsScript;

// Reads "IsStartmenu" and "IsDesttopCut".
StepResult CreateShortcuts(CStepsScript* script, const std::wstring& installFolder);

// The all-users start-menu folder named after the product, holding the
// launcher and uninstaller links and the website shortcut.
StepResult CreateStartMenuShortcuts(const ShortcutSet& set);
// The website's internet shortcut (.url) in the start-menu folder and the
// install folder; a link form of it left in the start-menu folder is deleted.
StepResult WriteWebsiteShortcuts(const ShortcutSet& set, const std::wstring& startMenuFolder,
                                 const std::wstring& websiteAddress);
// The internet shortcut's name in the start-menu and install folders.
extern const wchar_t WebsiteShortcutFileName[];  // "访问官方网站.url"

// The launcher's link on the all-users desktop, overwriting an earlier one.
StepResult CreateDesktopShortcut(const ShortcutSet& set, const std::wstring& desktopFolder);

// Saves a shell link to targetPath with SW_SHOWNORMAL and, unless arguments is
// nullptr, those arguments (even empty); fails when the link object cannot
// be made or cannot save itself.
StepResult CreateShellLink(const std::wstring& linkPath, const std::wstring& targetPath, LPCWSTR arguments);

// Creates every missing level of path; a level is cut at each backslash, so a
// trailing backslash creates the last level too. False when one cannot be made.
bool CreateFolderChain(const std::wstring& path);

// Whether text fits a MAX_PATH buffer with its terminator.
inline bool FitsPathBuffer(const std::wstring& text) { return text.size() < MAX_PATH; }
