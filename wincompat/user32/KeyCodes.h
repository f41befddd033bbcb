// GDK key events as Windows sees keys: the virtual key, the scan code and the
// lParam of WM_KEYDOWN/WM_KEYUP.
#pragma once

#include <windows.h>

#include <gdk/gdk.h>

namespace wincompat {

// VK_PACKET for a key that only carries a character (xdotool's Unicode keys).
constexpr UINT kVirtualKeyPacket = 0xE7;

// The virtual key of the key pressed, from its keyval without modifiers, so
// that Shift+1 is still '1' and a letter is its upper-case letter.
UINT VirtualKeyOf(const GdkEventKey& event);

// Repeat count 1, scan code, extended-key bit, Alt as context code, previous
// state and transition bits.
LPARAM KeyMessageParameter(const GdkEventKey& event, bool wasDown, bool up, bool altDown);

}  // namespace wincompat
