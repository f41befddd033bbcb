// Window classes and windows: the table of live windows and what each one
// holds (procedure, owning thread, styles, rectangle, text).
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace wincompat {

class DesktopWindow;

struct WindowClass {
    std::wstring name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
};

struct Window {
    ~Window();

    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    DWORD thread = 0;
    HWND parent = nullptr;  // the parent of a child, HWND_MESSAGE for a message-only window
    HWND owner = nullptr;   // the owner of a top-level window
    WindowClass windowClass;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    DWORD style = 0;    // WS_VISIBLE, WS_DISABLED and WS_MINIMIZE follow the window's state
    DWORD exStyle = 0;
    // Device pixels: screen coordinates for a top-level window, the parent's
    // client coordinates for a child. The client area is the whole window.
    RECT rect = {0, 0, 0, 0};
    bool trackingLeave = false;  // TrackMouseEvent(TME_LEAVE) pending
    bool destroying = false;
    // The GTK window of a top-level window on the desktop; null for message-only
    // and child windows, and without a display. Used on the owning thread only.
    std::unique_ptr<DesktopWindow> desktop;

    std::wstring Title() const;
    void SetTitle(const std::wstring& text);

    bool IsChild() const { return (style & WS_CHILD) && parent && parent != HWND_MESSAGE; }
    bool IsMessageOnly() const { return parent == HWND_MESSAGE; }
    bool IsTopLevel() const { return !IsChild() && !IsMessageOnly(); }
    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }

private:
    mutable std::mutex titleMutex_;  // other threads read the title
    std::wstring title_;
};

// The window if the handle names a live one.
std::shared_ptr<Window> FindWindowObject(HWND handle);

// A new window of the class for the calling thread, in the table.
std::shared_ptr<Window> AddWindow(const WindowClass& windowClass, HWND parent);
void RemoveWindow(HWND handle);

// The live windows, in creation order.
std::vector<std::shared_ptr<Window>> AllWindows();

bool FindClass(LPCWSTR name, WindowClass& out);
bool AddClass(const WindowClass& windowClass);
bool RemoveClass(LPCWSTR name);

// The window procedure, for messages the layer sends itself; 0 for a window that is gone.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace wincompat
