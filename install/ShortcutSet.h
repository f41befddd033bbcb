// The texts every shortcut of the install is made from.
#pragma once

#include <string>

struct ShortcutSet {
    std::wstring launcherFile;     // "Pellamor.exe"
    std::wstring installFolder;    // ends with a backslash
    std::wstring uninstallerFile;  // "Dravenko.exe"
    std::wstring displayName;      // names the start-menu folder and the launcher's links
    std::wstring websiteAddress;   // the product's web page
};
