// Window classes: registration and the class name of a window.
#include "user32/WindowTable.h"

#include <atomic>

using namespace wincompat;

namespace {

std::atomic<ATOM> nextAtom{0xC000};

ATOM Register(const WindowClass& windowClass) {
    if (!AddClass(windowClass)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return nextAtom++;
}

}  // namespace

extern "C" ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* windowClass) {
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXW) || !windowClass->lpszClassName ||
        IS_INTRESOURCE(windowClass->lpszClassName) || !windowClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register({windowClass->lpszClassName, windowClass->style, windowClass->lpfnWndProc,
                     windowClass->hInstance, windowClass->hCursor});
}

extern "C" ATOM WINAPI RegisterClassW(const WNDCLASSW* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName) ||
        !windowClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register({windowClass->lpszClassName, windowClass->style, windowClass->lpfnWndProc,
                     windowClass->hInstance, windowClass->hCursor});
}

extern "C" BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
    if (RemoveClass(className)) return TRUE;
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

extern "C" int WINAPI GetClassNameW(HWND handle, LPWSTR className, int maxCount) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window || !className || maxCount <= 0) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const std::wstring& name = window->windowClass.name;
    int copied = std::min<int>(static_cast<int>(name.size()), maxCount - 1);
    name.copy(className, copied);
    className[copied] = L'\0';
    return copied;
}
