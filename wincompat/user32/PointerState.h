// Where the mouse is, as the desktop last reported it: its position in
// screen device pixels and the window under it; and the mouse-leave tracking
// TrackMouseEvent asks for.
#pragma once

#include <windows.h>

namespace wincompat {

POINT PointerPosition();
void SetPointerPosition(POINT position);

HWND HoverWindow();
void SetHoverWindow(HWND window);

// The pointer left the window's client area: WM_MOUSELEAVE if it was tracked.
void NotifyMouseLeft(HWND window);

// A press counts as a double click when the same button hits the same window
// of a CS_DBLCLKS class within the double-click time and distance.
bool IsDoubleClick(HWND window, UINT button, POINT screen, DWORD time);

}  // namespace wincompat
