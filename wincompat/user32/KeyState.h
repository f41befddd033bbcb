// Which keys and mouse buttons are down, by virtual key, as the desktop's
// input events report them; GetKeyState answers from it.
#pragma once

#include <windows.h>

namespace wincompat {

// Also keeps the combined VK_SHIFT/VK_CONTROL/VK_MENU in step with their
// left and right keys.
void SetKeyDown(UINT virtualKey, bool down);
bool IsKeyDown(UINT virtualKey);
// Caps Lock and the like: the toggle bit of GetKeyState.
void SetKeyToggled(UINT virtualKey, bool toggled);
// Focus left the program: it no longer sees keys being released.
void ReleaseAllKeys();

}  // namespace wincompat
