// Window rectangles, moving, sizing and stacking, in device pixels.
#include "user32/Activation.h"
#include "user32/DesktopWindow.h"
#include "user32/Monitors.h"
#include "user32/WindowTable.h"

using namespace wincompat;

namespace {

// Where the window's client area starts on the screen.
POINT ClientOrigin(const Window& window) {
    POINT origin = {window.rect.left, window.rect.top};
    if (!window.IsChild()) return origin;
    if (std::shared_ptr<Window> parent = FindWindowObject(window.parent)) {
        POINT parentOrigin = ClientOrigin(*parent);
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

void Restack(Window& window, HWND insertAfter) {
    if (insertAfter == HWND_TOPMOST) window.exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) window.exStyle &= ~WS_EX_TOPMOST;
    WithDesktopWindow(window.handle, [insertAfter](DesktopWindow& desktop) {
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)
            desktop.KeepAbove(insertAfter == HWND_TOPMOST);
        else if (insertAfter == HWND_BOTTOM) desktop.Lower();
        else desktop.Raise();
    });
}

void Reshape(Window& window, bool moved, bool sized) {
    RECT rect = window.rect;
    WithDesktopWindow(window.handle, [rect, moved, sized](DesktopWindow& desktop) {
        if (sized) desktop.Resize(rect);
        if (moved) desktop.Move(rect);
    });
    if (moved) SendMessageW(window.handle, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
    if (sized) {
        WPARAM kind = (window.style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        SendMessageW(window.handle, WM_SIZE, kind, MAKELPARAM(window.Width(), window.Height()));
    }
}

}  // namespace

extern "C" BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
    if (handle == GetDesktopWindow() && rect) return GetClientRect(handle, rect);
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window || !rect) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT origin = ClientOrigin(*window);
    *rect = {origin.x, origin.y, origin.x + window->Width(), origin.y + window->Height()};
    return TRUE;
}

extern "C" BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
    if (handle == GetDesktopWindow() && rect) {
        *rect = DesktopMonitors().front().monitor;
        return TRUE;
    }
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window || !rect) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = {0, 0, window->Width(), window->Height()};
    return TRUE;
}

extern "C" BOOL WINAPI SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height,
                                    UINT flags) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT before = window->rect;
    RECT& rect = window->rect;
    if (!(flags & SWP_NOMOVE)) OffsetRect(&rect, x - rect.left, y - rect.top);
    if (!(flags & SWP_NOSIZE)) {
        rect.right = rect.left + std::max(width, 0);
        rect.bottom = rect.top + std::max(height, 0);
    }
    bool moved = rect.left != before.left || rect.top != before.top;
    bool sized = rect.right - rect.left != before.right - before.left ||
                 rect.bottom - rect.top != before.bottom - before.top;
    if (!(flags & SWP_NOZORDER) && window->IsTopLevel()) Restack(*window, insertAfter);
    if (flags & SWP_FRAMECHANGED) {
        DWORD style = window->style, exStyle = window->exStyle;
        WithDesktopWindow(handle, [style, exStyle](DesktopWindow& desktop) { desktop.ApplyStyles(style, exStyle); });
    }
    Reshape(*window, moved, sized);
    bool activate = !(flags & SWP_NOACTIVATE) && window->IsTopLevel();
    if (flags & SWP_SHOWWINDOW) ShowWindow(handle, activate ? SW_SHOW : SW_SHOWNA);
    else if (flags & SWP_HIDEWINDOW) ShowWindow(handle, SW_HIDE);
    else if (activate && (window->style & WS_VISIBLE)) ActivateWindow(handle, false);
    return TRUE;
}

extern "C" BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

extern "C" BOOL WINAPI ScreenToClient(HWND handle, LPPOINT point) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window || !point) return FALSE;
    POINT origin = ClientOrigin(*window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

extern "C" BOOL WINAPI ClientToScreen(HWND handle, LPPOINT point) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window || !point) return FALSE;
    POINT origin = ClientOrigin(*window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

// Windows here have no frame: the window is its client area.
extern "C" BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    return rect ? TRUE : FALSE;
}
