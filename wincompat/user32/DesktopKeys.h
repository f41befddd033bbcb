// Keyboard input of a desktop window as key and character messages.
#pragma once

#include <windows.h>

#include <gtk/gtk.h>

namespace wincompat {

class DesktopWindow;

// WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/WM_SYSKEYUP with Alt) to the focus window,
// then the key goes to the input method, whose text follows as WM_CHAR.
void HandleKeyEvent(HWND window, DesktopWindow& desktop, const GdkEventKey& event);
// Text the input method produced: one WM_CHAR per UTF-16 unit.
void HandleInputMethodCommit(HWND window, const char* text);
// The modifiers an input event reports as held before it.
void SyncModifierKeys(guint state);

}  // namespace wincompat
