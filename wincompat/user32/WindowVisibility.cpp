// Showing, hiding, minimising and enabling windows. The WS_VISIBLE,
// WS_MINIMIZE, WS_MAXIMIZE and WS_DISABLED style bits hold the state.
#include "user32/Activation.h"
#include "user32/DesktopWindow.h"
#include "user32/WindowTable.h"

using namespace wincompat;

namespace {

enum class Placement { Keep, Minimized, Maximized, Normal };

struct ShowCommand {
    bool visible;
    bool activate;
    Placement placement;
};

ShowCommand CommandOf(int command) {
    switch (command) {
    case SW_HIDE: return {false, false, Placement::Keep};
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA: return {true, false, Placement::Keep};
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: return {true, false, Placement::Minimized};
    case SW_MAXIMIZE: return {true, true, Placement::Maximized};
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT: return {true, true, Placement::Normal};
    default: return {true, true, Placement::Keep};  // SW_SHOW
    }
}

void Place(Window& window, Placement placement) {
    DWORD before = window.style & (WS_MINIMIZE | WS_MAXIMIZE);
    window.style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (placement == Placement::Minimized) window.style |= WS_MINIMIZE;
    if (placement == Placement::Maximized) window.style |= WS_MAXIMIZE;
    if ((window.style & (WS_MINIMIZE | WS_MAXIMIZE)) == before) return;
    WithDesktopWindow(window.handle, [placement](DesktopWindow& desktop) {
        if (placement == Placement::Minimized) desktop.Iconify();
        else if (placement == Placement::Maximized) desktop.Maximize();
        else desktop.Restore();
    });
    WPARAM kind = placement == Placement::Minimized   ? SIZE_MINIMIZED
                  : placement == Placement::Maximized ? SIZE_MAXIMIZED
                                                      : SIZE_RESTORED;
    LPARAM size = kind == SIZE_MINIMIZED ? 0 : MAKELPARAM(window.Width(), window.Height());
    SendMessageW(window.handle, WM_SIZE, kind, size);
}

void SetVisible(Window& window, bool visible, bool activate) {
    if (((window.style & WS_VISIBLE) != 0) == visible) return;
    SendMessageW(window.handle, WM_SHOWWINDOW, visible, 0);
    if (visible) window.style |= WS_VISIBLE;
    else window.style &= ~WS_VISIBLE;
    WithDesktopWindow(window.handle, [visible, activate](DesktopWindow& desktop) {
        if (visible) desktop.Show(activate);
        else desktop.Hide();
    });
}

}  // namespace

extern "C" BOOL WINAPI ShowWindow(HWND handle, int command) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
    ShowCommand show = CommandOf(command);
    bool topLevel = window->IsTopLevel();
    if (!show.visible) {
        SetVisible(*window, false, false);
        if (topLevel) DeactivateWindow(handle);
        return wasVisible;
    }
    SetVisible(*window, true, show.activate && topLevel);
    if (show.placement != Placement::Keep) Place(*window, show.placement);
    if (topLevel && show.placement == Placement::Minimized) DeactivateWindow(handle);
    else if (topLevel && show.activate) ActivateWindow(handle, false);
    return wasVisible;
}

extern "C" BOOL WINAPI IsWindowVisible(HWND handle) {
    for (std::shared_ptr<Window> window = FindWindowObject(handle); window;
         window = window->IsChild() ? FindWindowObject(window->parent) : nullptr) {
        if (!(window->style & WS_VISIBLE)) return FALSE;
        if (!window->IsChild()) return TRUE;
    }
    return FALSE;
}

extern "C" BOOL WINAPI IsIconic(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    return window && (window->style & WS_MINIMIZE) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsZoomed(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    return window && (window->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsWindowEnabled(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    return window && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

// Answers whether the window was disabled before.
extern "C" BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) window->style &= ~WS_DISABLED;
    else window->style |= WS_DISABLED;
    // A disabled window cannot keep the keyboard.
    HWND focus = FocusWindow();
    if (!enable && focus && (focus == handle || RootWindow(focus) == handle)) SetFocus(nullptr);
    SendMessageW(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}
