// The process-wide list of paint managers by window, which the message loop
// uses to find who sees a message first.
#pragma once

#include <windows.h>

namespace DuiLib {

class CPaintManagerUI;

void RegisterManager(CPaintManagerUI* manager);
void UnregisterManager(CPaintManagerUI* manager);
CPaintManagerUI* FindManager(HWND window);  // nullptr when the window has none

}  // namespace DuiLib
