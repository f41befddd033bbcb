// The GTK side of a top-level window: a GtkWindow holding a GtkDrawingArea
// and an input method context. Takes device pixels and converts them to GTK's
// logical pixels. Created, used and destroyed on the UI thread only.
#pragma once

#include <windows.h>

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

namespace wincompat {

struct Window;

class DesktopWindow {
public:
    // The widgets for the window, not yet shown; its signals reach the window's messages.
    static std::unique_ptr<DesktopWindow> Create(const Window& window);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void Show(bool activate);
    void Hide();
    void Iconify();
    void Maximize();
    void Restore();
    void Focus();
    void Raise();
    void Lower();
    void KeepAbove(bool above);

    // rect in device pixels, screen coordinates.
    void Move(const RECT& rect);
    void Resize(const RECT& rect);
    void SetTitle(const std::wstring& title);
    void ApplyStyles(DWORD style, DWORD exStyle);
    void SetOwner(DesktopWindow* owner);

    // rect in client device pixels; null for the whole client area.
    void QueueDraw(const RECT* rect);
    void SetCursor(GdkCursor* cursor);
    void SetInputMethodCursor(const RECT& rect);
    void BeginMoveDrag(guint button, const GdkEventButton& press);
    void BeginResizeDrag(GdkWindowEdge edge, guint button, const GdkEventButton& press);

    GtkWindow* Toplevel() const { return GTK_WINDOW(window_); }
    GtkWidget* Area() const { return area_; }
    GtkIMContext* InputMethod() const { return inputMethod_; }

    // The last size and position GTK was asked for, in logical pixels, to
    // tell GTK's own changes (the window manager, a drag) from ours.
    GdkRectangle requested = {0, 0, 0, 0};

private:
    DesktopWindow() = default;

    HWND handle_ = nullptr;
    GtkWidget* window_ = nullptr;
    GtkWidget* area_ = nullptr;
    GtkIMContext* inputMethod_ = nullptr;
};

// Runs action with the window's GTK side on the UI thread (at once when
// called there); nothing for a window without one.
void WithDesktopWindow(HWND window, std::function<void(DesktopWindow&)> action);

// Device pixels to GTK's logical pixels: positions round down, sizes up.
int LogicalPosition(int device);
int LogicalSize(int device);

// Connects the widgets' signals to the window's messages (DesktopEvents.cpp).
void ConnectDesktopEvents(DesktopWindow& desktop, HWND window);

}  // namespace wincompat
