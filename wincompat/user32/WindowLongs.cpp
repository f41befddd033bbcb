// GetWindowLong(Ptr)W and SetWindowLong(Ptr)W: styles, procedure, user data.
#include "user32/DesktopWindow.h"
#include "user32/WindowTable.h"

using namespace wincompat;

namespace {

bool Read(const Window& window, int index, LONG_PTR& value) {
    switch (index) {
    case GWL_STYLE: value = static_cast<LONG>(window.style); return true;
    case GWL_EXSTYLE: value = static_cast<LONG>(window.exStyle); return true;
    case GWLP_USERDATA: value = window.userData; return true;
    case GWLP_WNDPROC: value = reinterpret_cast<LONG_PTR>(window.procedure); return true;
    case GWLP_HINSTANCE: value = reinterpret_cast<LONG_PTR>(window.instance); return true;
    case GWLP_ID: value = window.id; return true;
    case GWLP_HWNDPARENT:
        value = reinterpret_cast<LONG_PTR>(window.IsChild() ? window.parent : window.owner);
        return true;
    default: return false;
    }
}

bool Write(Window& window, int index, LONG_PTR value) {
    switch (index) {
    case GWL_STYLE: window.style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: window.exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: window.userData = value; return true;
    case GWLP_WNDPROC: window.procedure = reinterpret_cast<WNDPROC>(value); return true;
    case GWLP_HINSTANCE: window.instance = reinterpret_cast<HINSTANCE>(value); return true;
    case GWLP_ID: window.id = value; return true;
    default: return false;
    }
    // The desktop follows the styles: caption, frame, taskbar, topmost.
    DWORD style = window.style, exStyle = window.exStyle;
    WithDesktopWindow(window.handle, [style, exStyle](DesktopWindow& desktop) { desktop.ApplyStyles(style, exStyle); });
    return true;
}

}  // namespace

extern "C" LONG_PTR WINAPI GetWindowLongPtrW(HWND handle, int index) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR value = 0;
    if (!Read(*window, index, value)) SetLastError(1413);  // ERROR_INVALID_INDEX
    return value;
}

extern "C" LONG_PTR WINAPI SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR previous = 0;
    if (!Read(*window, index, previous) || !Write(*window, index, value)) {
        SetLastError(1413);  // ERROR_INVALID_INDEX
        return 0;
    }
    return previous;
}

extern "C" LONG WINAPI GetWindowLongW(HWND window, int index) {
    return static_cast<LONG>(GetWindowLongPtrW(window, index));
}

extern "C" LONG WINAPI SetWindowLongW(HWND window, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrW(window, index, value));
}

extern "C" DWORD WINAPI GetWindowThreadProcessId(HWND handle, LPDWORD processId) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) return 0;
    if (processId) *processId = GetCurrentProcessId();
    return window->thread;
}
