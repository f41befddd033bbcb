#include "user32/DesktopWindow.h"

#include "user32/Desktop.h"
#include "user32/WindowTable.h"
#include "prefix/Prefix.h"

#include <cmath>

namespace wincompat {

int LogicalPosition(int device) {
    int scale = DesktopScale();
    return static_cast<int>(std::floor(static_cast<double>(device) / scale));
}

int LogicalSize(int device) {
    int scale = DesktopScale();
    return device <= 0 ? 0 : (device + scale - 1) / scale;
}

void WithDesktopWindow(HWND handle, std::function<void(DesktopWindow&)> action) {
    if (!DesktopRunning()) return;
    RunOnDesktopThread([handle, action = std::move(action)] {
        std::shared_ptr<Window> window = FindWindowObject(handle);
        if (window && window->desktop) action(*window->desktop);
    });
}

std::unique_ptr<DesktopWindow> DesktopWindow::Create(const Window& window) {
    std::unique_ptr<DesktopWindow> desktop(new DesktopWindow);
    desktop->handle_ = window.handle;
    desktop->window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    desktop->area_ = gtk_drawing_area_new();
    gtk_widget_set_can_focus(desktop->area_, TRUE);
    gtk_widget_add_events(desktop->area_, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                              GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK |
                                              GDK_SMOOTH_SCROLL_MASK | GDK_ENTER_NOTIFY_MASK |
                                              GDK_LEAVE_NOTIFY_MASK);
    gtk_container_add(GTK_CONTAINER(desktop->window_), desktop->area_);
    desktop->inputMethod_ = gtk_im_multicontext_new();
    desktop->SetTitle(window.Title());
    desktop->ApplyStyles(window.style, window.exStyle);
    desktop->Resize(window.rect);
    desktop->Move(window.rect);
    gtk_widget_show(desktop->area_);
    return desktop;
}

DesktopWindow::~DesktopWindow() {
    // No signal of the widgets going away reaches the window being destroyed.
    for (gpointer instance : {static_cast<gpointer>(window_), static_cast<gpointer>(area_),
                              static_cast<gpointer>(inputMethod_)})
        g_signal_handlers_disconnect_matched(instance, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, handle_);
    gtk_im_context_set_client_window(inputMethod_, nullptr);
    g_object_unref(inputMethod_);
    gtk_widget_destroy(window_);
}

void DesktopWindow::Show(bool activate) {
    gtk_window_set_focus_on_map(Toplevel(), activate);
    gtk_widget_show(window_);
    if (activate) Focus();
}

void DesktopWindow::Hide() { gtk_widget_hide(window_); }
void DesktopWindow::Iconify() { gtk_window_iconify(Toplevel()); }
void DesktopWindow::Maximize() { gtk_window_maximize(Toplevel()); }

void DesktopWindow::Restore() {
    gtk_window_deiconify(Toplevel());
    gtk_window_unmaximize(Toplevel());
}

void DesktopWindow::Focus() {
    gtk_window_present(Toplevel());
    gtk_widget_grab_focus(area_);
}

void DesktopWindow::Raise() {
    if (GdkWindow* gdkWindow = gtk_widget_get_window(window_)) gdk_window_raise(gdkWindow);
}

void DesktopWindow::Lower() {
    if (GdkWindow* gdkWindow = gtk_widget_get_window(window_)) gdk_window_lower(gdkWindow);
}

void DesktopWindow::KeepAbove(bool above) { gtk_window_set_keep_above(Toplevel(), above); }

void DesktopWindow::Move(const RECT& rect) {
    requested.x = LogicalPosition(rect.left);
    requested.y = LogicalPosition(rect.top);
    gtk_window_move(Toplevel(), requested.x, requested.y);
}

void DesktopWindow::Resize(const RECT& rect) {
    requested.width = std::max(LogicalSize(rect.right - rect.left), 1);
    requested.height = std::max(LogicalSize(rect.bottom - rect.top), 1);
    // A window that is not resizable keeps the size its content asks for and
    // ignores gtk_window_resize, so the drawing area carries the size.
    if (gtk_window_get_resizable(Toplevel())) {
        gtk_widget_set_size_request(area_, -1, -1);
        gtk_window_resize(Toplevel(), requested.width, requested.height);
    } else {
        gtk_widget_set_size_request(area_, requested.width, requested.height);
        gtk_window_resize(Toplevel(), 1, 1);
    }
}

void DesktopWindow::SetTitle(const std::wstring& title) {
    gtk_window_set_title(Toplevel(), Utf8FromWide(title).c_str());
}

void DesktopWindow::ApplyStyles(DWORD style, DWORD exStyle) {
    gtk_window_set_decorated(Toplevel(), (style & WS_CAPTION) == WS_CAPTION);
    gtk_window_set_resizable(Toplevel(), (style & WS_THICKFRAME) != 0);
    gtk_window_set_skip_taskbar_hint(Toplevel(), (exStyle & WS_EX_TOOLWINDOW) != 0);
    gtk_window_set_keep_above(Toplevel(), (exStyle & WS_EX_TOPMOST) != 0);
}

void DesktopWindow::SetOwner(DesktopWindow* owner) {
    gtk_window_set_transient_for(Toplevel(), owner ? owner->Toplevel() : nullptr);
}

void DesktopWindow::QueueDraw(const RECT* rect) {
    if (!rect) {
        gtk_widget_queue_draw(area_);
        return;
    }
    int left = LogicalPosition(rect->left), top = LogicalPosition(rect->top);
    int right = LogicalSize(rect->right), bottom = LogicalSize(rect->bottom);
    if (right > left && bottom > top) gtk_widget_queue_draw_area(area_, left, top, right - left, bottom - top);
}

void DesktopWindow::SetCursor(GdkCursor* cursor) {
    if (GdkWindow* gdkWindow = gtk_widget_get_window(area_)) gdk_window_set_cursor(gdkWindow, cursor);
}

void DesktopWindow::SetInputMethodCursor(const RECT& rect) {
    GdkRectangle area = {LogicalPosition(rect.left), LogicalPosition(rect.top),
                         std::max(LogicalSize(rect.right - rect.left), 1),
                         std::max(LogicalSize(rect.bottom - rect.top), 1)};
    gtk_im_context_set_cursor_location(inputMethod_, &area);
}

void DesktopWindow::BeginMoveDrag(guint button, const GdkEventButton& press) {
    gtk_window_begin_move_drag(Toplevel(), static_cast<gint>(button), static_cast<gint>(press.x_root),
                               static_cast<gint>(press.y_root), press.time);
}

void DesktopWindow::BeginResizeDrag(GdkWindowEdge edge, guint button, const GdkEventButton& press) {
    gtk_window_begin_resize_drag(Toplevel(), edge, static_cast<gint>(button), static_cast<gint>(press.x_root),
                                 static_cast<gint>(press.y_root), press.time);
}

}  // namespace wincompat
