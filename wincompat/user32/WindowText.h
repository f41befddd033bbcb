// The text of a window, as DefWindowProcW keeps it for WM_SETTEXT/WM_GETTEXT.
#pragma once

#include <windows.h>

namespace wincompat {

LRESULT StoreWindowText(HWND window, LPCWSTR text);
// Copies at most size - 1 characters and a terminator; answers the count copied.
LRESULT CopyWindowText(HWND window, LPWSTR buffer, WPARAM size);
LRESULT WindowTextLength(HWND window);

}  // namespace wincompat
