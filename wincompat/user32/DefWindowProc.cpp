// DefWindowProcW: what Windows does with the messages a window procedure
// leaves to it; and CallWindowProcW.
#include "user32/Activation.h"
#include "user32/WindowTable.h"
#include "user32/WindowText.h"

using namespace wincompat;

namespace {

constexpr LRESULT kMouseActivate = 1;  // MA_ACTIVATE

LRESULT SystemCommand(HWND window, WPARAM command) {
    switch (command & 0xFFF0) {
    case SC_CLOSE: SendMessageW(window, WM_CLOSE, 0, 0); break;
    case SC_MINIMIZE: ShowWindow(window, SW_MINIMIZE); break;
    case SC_MAXIMIZE: ShowWindow(window, SW_MAXIMIZE); break;
    case SC_RESTORE: ShowWindow(window, SW_RESTORE); break;
    default: break;
    }
    return 0;
}

LPCWSTR CursorOfHitTest(WORD hit) {
    switch (hit) {
    case HTLEFT:
    case HTRIGHT: return IDC_SIZEWE;
    case HTTOP:
    case HTBOTTOM: return IDC_SIZENS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return IDC_SIZENWSE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return IDC_SIZENESW;
    default: return IDC_ARROW;
    }
}

// A child first asks its parent; in the client area the class cursor shows.
LRESULT SetCursorOf(HWND handle, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) return FALSE;
    if (window->IsChild() && SendMessageW(window->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
    WORD hit = LOWORD(lParam);
    if (hit == HTCLIENT) {
        if (!window->windowClass.cursor) return FALSE;
        SetCursor(window->windowClass.cursor);
        return TRUE;
    }
    SetCursor(LoadCursorW(nullptr, CursorOfHitTest(hit)));
    return TRUE;
}

void FocusOnActivation(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE || IsIconic(window)) return;
    HWND focus = GetFocus();
    if (!focus || RootWindow(focus) != window) SetFocus(window);
}

}  // namespace

extern "C" LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_NCACTIVATE: return TRUE;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSCOMMAND: return SystemCommand(window, wParam);
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) SendMessageW(RootWindow(window), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR: return SetCursorOf(window, wParam, lParam);
    case WM_MOUSEACTIVATE: return kMouseActivate;
    case WM_ACTIVATE: FocusOnActivation(window, wParam); return 0;
    case WM_SETTEXT: return StoreWindowText(window, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT: return CopyWindowText(window, reinterpret_cast<LPWSTR>(lParam), wParam);
    case WM_GETTEXTLENGTH: return WindowTextLength(window);
    default: return 0;
    }
}

extern "C" LRESULT WINAPI CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}
