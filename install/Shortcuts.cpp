#include "install/Shortcuts.h"

// Shortcuts come with the shell-link support; until then this step creates none.
bool CreateShortcuts(CStepsScript* script, const std::wstring& installFolder) { return true; }
