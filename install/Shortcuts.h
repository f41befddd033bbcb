// Start-menu, desktop and internet shortcuts.
#pragma once

#include <string>

class CStepsScript;

bool CreateShortcuts(CStepsScript* script, const std::wstring& installFolder);
