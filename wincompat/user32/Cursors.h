// Cursors: the standard shapes LoadCursorW hands out and the one on show.
#pragma once

#include <windows.h>

namespace wincompat {

// Puts the current cursor on the window the mouse is over (after it moved in).
void ApplyCursorTo(HWND window);

}  // namespace wincompat
