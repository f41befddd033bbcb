// The GTK signals of a desktop window as Windows messages: mouse input
// (after WM_NCHITTEST and WM_SETCURSOR), keys, focus, closing, painting and
// the window manager's moves and resizes. Input is posted to the queue;
// WM_PAINT and the hit test are sent.
#include "user32/Activation.h"
#include "user32/Cursors.h"
#include "user32/Desktop.h"
#include "user32/DesktopKeys.h"
#include "user32/DesktopWindow.h"
#include "user32/KeyState.h"
#include "user32/MessageQueue.h"
#include "user32/Painting.h"
#include "user32/PointerState.h"
#include "user32/WindowTable.h"

#include <cmath>

namespace wincompat {

namespace {

HWND HandleOf(gpointer data) { return static_cast<HWND>(data); }

// A window that takes input: alive and enabled (a modal box disables its owner).
std::shared_ptr<Window> InputWindow(gpointer data) {
    std::shared_ptr<Window> window = FindWindowObject(HandleOf(data));
    return window && !(window->style & WS_DISABLED) ? window : nullptr;
}

POINT DevicePoint(double x, double y) {
    int scale = DesktopScale();
    return {static_cast<LONG>(std::floor(x * scale)), static_cast<LONG>(std::floor(y * scale))};
}

WPARAM MouseKeys(guint state) {
    WPARAM keys = 0;
    if (state & GDK_BUTTON1_MASK) keys |= MK_LBUTTON;
    if (state & GDK_BUTTON2_MASK) keys |= MK_MBUTTON;
    if (state & GDK_BUTTON3_MASK) keys |= MK_RBUTTON;
    if (state & GDK_SHIFT_MASK) keys |= MK_SHIFT;
    if (state & GDK_CONTROL_MASK) keys |= MK_CONTROL;
    return keys;
}

struct Button {
    UINT down, up, doubleClick, key;
    WPARAM flag;
};

const Button* ButtonOf(guint number) {
    static const Button kButtons[] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, VK_LBUTTON, MK_LBUTTON},
        {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, VK_MBUTTON, MK_MBUTTON},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, VK_RBUTTON, MK_RBUTTON},
    };
    return number >= 1 && number <= 3 ? &kButtons[number - 1] : nullptr;
}

// Mouse messages go to the capturing window if there is one, in its client
// coordinates; otherwise to this window.
void PostMouse(HWND window, UINT message, WPARAM keys, POINT screen) {
    HWND target = CaptureWindow() ? CaptureWindow() : window;
    POINT client = screen;
    ScreenToClient(target, &client);
    PostToWindow(target, message, keys, MAKELPARAM(client.x, client.y));
}

LRESULT HitTest(HWND window, POINT screen, UINT mouseMessage) {
    LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, mouseMessage));
    return hit;
}

bool EdgeOf(LRESULT hit, GdkWindowEdge& edge) {
    switch (hit) {
    case HTLEFT: edge = GDK_WINDOW_EDGE_WEST; return true;
    case HTRIGHT: edge = GDK_WINDOW_EDGE_EAST; return true;
    case HTTOP: edge = GDK_WINDOW_EDGE_NORTH; return true;
    case HTBOTTOM: edge = GDK_WINDOW_EDGE_SOUTH; return true;
    case HTTOPLEFT: edge = GDK_WINDOW_EDGE_NORTH_WEST; return true;
    case HTTOPRIGHT: edge = GDK_WINDOW_EDGE_NORTH_EAST; return true;
    case HTBOTTOMLEFT: edge = GDK_WINDOW_EDGE_SOUTH_WEST; return true;
    case HTBOTTOMRIGHT: edge = GDK_WINDOW_EDGE_SOUTH_EAST; return true;
    default: return false;
    }
}

// The skinned window's caption moves it and its edges size it, as
// DefWindowProc's handling of a press there would.
void StartDrag(DesktopWindow& desktop, LRESULT hit, const GdkEventButton& press) {
    GdkWindowEdge edge;
    if (hit == HTCAPTION) desktop.BeginMoveDrag(press.button, press);
    else if (EdgeOf(hit, edge)) desktop.BeginResizeDrag(edge, press.button, press);
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    std::shared_ptr<Window> window = InputWindow(data);
    const Button* button = ButtonOf(event->button);
    // GDK's own double-click events are left out: Windows decides itself.
    if (!window || !button || event->type != GDK_BUTTON_PRESS) return TRUE;
    HWND handle = window->handle;
    POINT screen = DevicePoint(event->x_root, event->y_root);
    SetPointerPosition(screen);
    SyncModifierKeys(event->state);
    SetKeyDown(button->key, true);
    WPARAM keys = MouseKeys(event->state) | button->flag;
    if (!CaptureWindow()) {
        LRESULT hit = HitTest(handle, screen, button->down);
        if (hit != HTCLIENT) {
            if (event->button == 1) StartDrag(*window->desktop, hit, *event);
            return TRUE;
        }
    }
    bool isDouble = IsDoubleClick(handle, event->button, screen, event->time);
    PostMouse(handle, isDouble ? button->doubleClick : button->down, keys, screen);
    return TRUE;
}

gboolean OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
    std::shared_ptr<Window> window = InputWindow(data);
    const Button* button = ButtonOf(event->button);
    if (!button) return TRUE;
    SetKeyDown(button->key, false);
    if (!window) return TRUE;
    POINT screen = DevicePoint(event->x_root, event->y_root);
    SetPointerPosition(screen);
    PostMouse(window->handle, button->up, MouseKeys(event->state) & ~button->flag, screen);
    return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
    POINT screen = DevicePoint(event->x_root, event->y_root);
    SetPointerPosition(screen);
    SetHoverWindow(HandleOf(data));
    std::shared_ptr<Window> window = InputWindow(data);
    if (!window) return TRUE;
    WPARAM keys = MouseKeys(event->state);
    if (!CaptureWindow() && HitTest(window->handle, screen, WM_MOUSEMOVE) != HTCLIENT) {
        // Over a non-client part (the caption) the client area counts as left.
        NotifyMouseLeft(window->handle);
        return TRUE;
    }
    PostMouse(window->handle, WM_MOUSEMOVE, keys, screen);
    return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
    std::shared_ptr<Window> window = InputWindow(data);
    if (!window) return TRUE;
    double steps = 0;
    if (event->direction == GDK_SCROLL_UP) steps = 1;
    else if (event->direction == GDK_SCROLL_DOWN) steps = -1;
    else if (event->direction == GDK_SCROLL_SMOOTH) steps = -event->delta_y;
    int delta = static_cast<int>(std::lround(steps * WHEEL_DELTA));
    if (delta == 0) return TRUE;
    // The wheel's lParam is in screen coordinates, and it goes to the focus.
    POINT screen = DevicePoint(event->x_root, event->y_root);
    HWND focus = FocusWindow();
    HWND target = focus && RootWindow(focus) == window->handle ? focus : window->handle;
    PostToWindow(target, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeys(event->state), delta),
                 MAKELPARAM(screen.x, screen.y));
    return TRUE;
}

gboolean OnEnter(GtkWidget*, GdkEventCrossing* event, gpointer data) {
    SetPointerPosition(DevicePoint(event->x_root, event->y_root));
    SetHoverWindow(HandleOf(data));
    ApplyCursorTo(HandleOf(data));
    return FALSE;
}

gboolean OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer data) {
    if (event->detail == GDK_NOTIFY_INFERIOR) return FALSE;
    if (HoverWindow() == HandleOf(data)) SetHoverWindow(nullptr);
    NotifyMouseLeft(HandleOf(data));
    return FALSE;
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    std::shared_ptr<Window> window = InputWindow(data);
    if (window) HandleKeyEvent(window->handle, *window->desktop, *event);
    return TRUE;  // no GTK key handling (focus moves, mnemonics)
}

void OnCommit(GtkIMContext*, gchar* text, gpointer data) {
    if (InputWindow(data)) HandleInputMethodCommit(HandleOf(data), text);
}

gboolean OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer data) {
    std::shared_ptr<Window> window = FindWindowObject(HandleOf(data));
    if (!window) return FALSE;
    gtk_im_context_focus_in(window->desktop->InputMethod());
    ActivateWindow(window->handle, true);
    return FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer data) {
    std::shared_ptr<Window> window = FindWindowObject(HandleOf(data));
    if (!window) return FALSE;
    gtk_im_context_focus_out(window->desktop->InputMethod());
    ReleaseAllKeys();
    DeactivateWindow(window->handle);
    return FALSE;
}

// The window manager's close button (or its Alt+F4): the procedure decides.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    if (InputWindow(data)) PostToWindow(HandleOf(data), WM_SYSCOMMAND, SC_CLOSE, 0);
    return TRUE;
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
    DeliverPaint(HandleOf(data), cr);
    return TRUE;
}

gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    std::shared_ptr<Window> window = FindWindowObject(HandleOf(data));
    if (!window || !window->desktop) return FALSE;
    GdkRectangle& requested = window->desktop->requested;
    bool moved = event->x != requested.x || event->y != requested.y;
    bool sized = event->width != requested.width || event->height != requested.height;
    if (!moved && !sized) return FALSE;  // what we asked for
    requested = {event->x, event->y, event->width, event->height};
    int scale = DesktopScale();
    RECT& rect = window->rect;
    if (moved) OffsetRect(&rect, event->x * scale - rect.left, event->y * scale - rect.top);
    if (sized) rect.right = rect.left + event->width * scale, rect.bottom = rect.top + event->height * scale;
    if (moved) SendMessageW(window->handle, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
    if (sized) SendMessageW(window->handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->Width(), window->Height()));
    return FALSE;
}

void OnRealize(GtkWidget* area, gpointer data) {
    std::shared_ptr<Window> window = FindWindowObject(HandleOf(data));
    if (window && window->desktop)
        gtk_im_context_set_client_window(window->desktop->InputMethod(), gtk_widget_get_window(area));
}

template <typename Handler>
void Connect(gpointer instance, const char* signal, Handler handler, HWND window) {
    g_signal_connect(instance, signal, G_CALLBACK(handler), window);
}

}  // namespace

void ConnectDesktopEvents(DesktopWindow& desktop, HWND window) {
    GtkWidget* area = desktop.Area();
    GtkWindow* toplevel = desktop.Toplevel();
    Connect(area, "draw", OnDraw, window);
    Connect(area, "realize", OnRealize, window);
    Connect(area, "button-press-event", OnButtonPress, window);
    Connect(area, "button-release-event", OnButtonRelease, window);
    Connect(area, "motion-notify-event", OnMotion, window);
    Connect(area, "scroll-event", OnScroll, window);
    Connect(area, "enter-notify-event", OnEnter, window);
    Connect(area, "leave-notify-event", OnLeave, window);
    Connect(toplevel, "key-press-event", OnKey, window);
    Connect(toplevel, "key-release-event", OnKey, window);
    Connect(toplevel, "focus-in-event", OnFocusIn, window);
    Connect(toplevel, "focus-out-event", OnFocusOut, window);
    Connect(toplevel, "delete-event", OnDelete, window);
    Connect(toplevel, "configure-event", OnConfigure, window);
    Connect(desktop.InputMethod(), "commit", OnCommit, window);
}

}  // namespace wincompat
