// Window classes and windows: which procedure a window has and which thread
// owns it. Painting and top-level windows arrive with the desktop backend.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace wincompat {

struct Window {
    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    DWORD thread = 0;
    HWND parent = nullptr;
    std::wstring className;
    std::wstring title;
    LONG_PTR userData = 0;
};

// The window if the handle names a live one.
std::shared_ptr<Window> FindWindowObject(HWND handle);

}  // namespace wincompat
