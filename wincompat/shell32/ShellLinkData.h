// What a shell link holds: the settings of IShellLinkW, as a .lnk file keeps them.
#pragma once

#include <windows.h>

#include <string>

namespace wincompat {

struct ShellLinkData {
    std::wstring path;  // the target's Windows path
    std::wstring description;
    std::wstring relativePath;
    std::wstring workingDirectory;
    std::wstring arguments;
    std::wstring iconPath;
    int iconIndex = 0;
    int showCommand = SW_SHOWNORMAL;
    WORD hotkey = 0;  // virtual key in the low byte, HOTKEYF_ modifiers in the high byte
};

}  // namespace wincompat
