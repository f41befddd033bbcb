// The active (foreground) top-level window, the keyboard focus and the mouse
// capture, with the messages Windows sends when they change.
#pragma once

#include <windows.h>

namespace wincompat {

// Makes the window's top-level window the active one: WM_ACTIVATE to the one
// losing and the one gaining activation (whose DefWindowProcW then sets the
// focus). fromDesktop: GTK already focused it; otherwise it is asked to.
void ActivateWindow(HWND window, bool fromDesktop);
// The window lost activation to something else (another program, a dialog).
void DeactivateWindow(HWND window);
// A destroyed window stops being active, focused, captured or hovered.
void ForgetWindowState(HWND window);

HWND ActiveWindow();
HWND FocusWindow();
HWND CaptureWindow();

// The top-level window a window belongs to (itself for a top-level window).
HWND RootWindow(HWND window);

}  // namespace wincompat
