// Creating and destroying windows. A top-level window gets its GTK window
// before WM_NCCREATE, so the procedure can already move, size and restyle it.
#include "user32/Activation.h"
#include "user32/DesktopWindow.h"
#include "user32/Desktop.h"
#include "user32/MessageQueue.h"
#include "user32/Monitors.h"
#include "user32/WindowTable.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>

using namespace wincompat;

namespace {

constexpr DWORD kErrorTopLevelWithChildStyle = 1406;  // ERROR_TLW_WITH_WSCHILD
constexpr LONG kCascade = 26;

// Only a top-level window asks the desktop (which starts GTK on this thread).
RECT InitialRect(int x, int y, int width, int height, bool topLevel) {
    if (!topLevel) {
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = height = 0;
        return {x, y, x + width, y + height};
    }
    RECT work = DesktopMonitors().front().work;
    if (x == CW_USEDEFAULT) x = work.left + kCascade, y = work.top + kCascade;
    if (width == CW_USEDEFAULT) {
        width = (work.right - work.left) * 3 / 4;
        height = (work.bottom - work.top) * 3 / 4;
    }
    return {x, y, x + width, y + height};
}

// As Windows corrects them: an overlapped window always has a caption.
DWORD InitialStyle(DWORD style) {
    style &= ~WS_VISIBLE;  // shown after WM_CREATE
    if (!(style & WS_CHILD)) style |= WS_CLIPSIBLINGS;
    if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION;
    return style;
}

void AttachDesktop(Window& window) {
    if (!window.IsTopLevel() || !DesktopAvailable() || !OnDesktopThread()) return;
    window.desktop = DesktopWindow::Create(window);
    ConnectDesktopEvents(*window.desktop, window.handle);
    std::shared_ptr<Window> owner = FindWindowObject(window.owner);
    if (owner && owner->desktop) window.desktop->SetOwner(owner->desktop.get());
}

// Without a display a window could never be seen or used: like Wine, refuse
// to create it rather than leave a program waiting for input that cannot
// come. WINCOMPAT_HEADLESS=1 (tests) keeps such windows, unseen.
bool DesktopRefusesWindow() {
    if (DesktopAvailable()) return false;
    const char* headless = getenv("WINCOMPAT_HEADLESS");
    if (headless && *headless && strcmp(headless, "0") != 0) return false;
    static std::once_flag told;
    std::call_once(told, [] {
        fputs("wincompat: no display to show windows on (DISPLAY is unset or cannot be opened)\n", stderr);
    });
    return true;
}

bool Create(Window& window, CREATESTRUCTW& create) {
    LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    // A window refusing WM_NCCREATE or WM_CREATE is destroyed again, as on Windows.
    if (!window.procedure(window.handle, WM_NCCREATE, 0, createParam)) return false;
    if (window.procedure(window.handle, WM_CREATE, 0, createParam) == -1) return false;
    window.procedure(window.handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window.Width(), window.Height()));
    window.procedure(window.handle, WM_MOVE, 0, MAKELPARAM(window.rect.left, window.rect.top));
    return true;
}

void DestroyRelatives(HWND handle, bool owned) {
    for (const std::shared_ptr<Window>& other : AllWindows()) {
        bool related = owned ? other->owner == handle : other->IsChild() && other->parent == handle;
        if (related && other->thread == GetCurrentThreadId()) DestroyWindow(other->handle);
    }
}

}  // namespace

extern "C" HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                       LPVOID param) {
    WindowClass windowClass;
    if (!className || !FindClass(className, windowClass)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
    }
    if (parent && parent != HWND_MESSAGE && !FindWindowObject(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    bool child = (style & WS_CHILD) && parent != HWND_MESSAGE;
    if (child && !parent) {
        SetLastError(kErrorTopLevelWithChildStyle);
        return nullptr;
    }
    // The "parent" of a top-level window is its owner.
    bool owned = !child && parent && parent != HWND_MESSAGE;
    if (!child && parent != HWND_MESSAGE && DesktopRefusesWindow()) {
        SetLastError(ERROR_ACCESS_DENIED);  // as for a desktop the process may not use
        return nullptr;
    }
    std::shared_ptr<Window> window = AddWindow(windowClass, owned ? nullptr : parent);
    window->owner = owned ? RootWindow(parent) : nullptr;
    window->style = InitialStyle(style);
    window->exStyle = exStyle;
    window->instance = instance;
    window->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
    window->SetTitle(windowName ? windowName : L"");
    window->rect = InitialRect(x, y, width, height, window->IsTopLevel());
    AttachDesktop(*window);
    CREATESTRUCTW create = {param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                            windowName, className, exStyle};
    if (!Create(*window, create)) {
        DestroyWindow(window->handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if ((style & WS_VISIBLE) && IsWindow(window->handle)) ShowWindow(window->handle, SW_SHOW);
    return window->handle;
}

extern "C" BOOL WINAPI DestroyWindow(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);  // only the owning thread destroys a window
        return FALSE;
    }
    if (window->destroying) return TRUE;
    window->destroying = true;
    DestroyRelatives(handle, true);
    if (window->style & WS_VISIBLE) ShowWindow(handle, SW_HIDE);
    if (GetCapture() == handle) ReleaseCapture();
    window->procedure(handle, WM_DESTROY, 0, 0);
    DestroyRelatives(handle, false);
    window->procedure(handle, WM_NCDESTROY, 0, 0);
    ForgetWindowState(handle);
    KillWindowTimers(handle);
    window->desktop.reset();
    RemoveWindow(handle);
    return TRUE;
}

extern "C" BOOL WINAPI IsWindow(HWND handle) { return FindWindowObject(handle) ? TRUE : FALSE; }
