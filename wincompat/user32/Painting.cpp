#include "user32/Painting.h"

#include "user32/Desktop.h"
#include "user32/DesktopWindow.h"
#include "user32/FrameTrace.h"
#include "user32/WindowTable.h"

#include <gtk/gtk.h>

namespace wincompat {

namespace {

// The paint under way on this thread; one per window procedure in WM_PAINT.
struct Paint {
    HWND window = nullptr;
    cairo_t* cr = nullptr;
    RECT area = {0, 0, 0, 0};  // client device pixels
    bool begun = false;
    Paint* outer = nullptr;
};
thread_local Paint* currentPaint = nullptr;

RECT DeviceClip(cairo_t* cr) {
    GdkRectangle clip;
    if (!gdk_cairo_get_clip_rectangle(cr, &clip)) return {0, 0, 0, 0};
    int scale = DesktopScale();
    return {clip.x * scale, clip.y * scale, (clip.x + clip.width) * scale, (clip.y + clip.height) * scale};
}

// BeginPaint outside WM_PAINT from the desktop (a window without a display, a
// WM_PAINT sent by hand) still hands out a context, one that draws nowhere.
cairo_t* DetachedContext() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    cairo_surface_destroy(surface);
    return cr;
}

int screenContext;  // GetDC's answer: only GetDeviceCaps takes it

}  // namespace

void DeliverPaint(HWND window, cairo_t* cr) {
    Paint paint{window, cr, DeviceClip(cr), false, currentPaint};
    currentPaint = &paint;
    {
        PaintScope scope;
        SendToWindow(window, WM_PAINT, 0, 0);
    }
    if (paint.begun) cairo_restore(cr);  // a procedure that never called EndPaint
    currentPaint = paint.outer;
    NoteFramePainted();
}

}  // namespace wincompat

using namespace wincompat;

extern "C" HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    if (!paint || !IsWindow(window)) {
        SetLastError(paint ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    *paint = PAINTSTRUCT{};
    Paint* current = currentPaint;
    if (!current || current->window != window || current->begun) {
        paint->hdc = reinterpret_cast<HDC>(DetachedContext());
        return paint->hdc;
    }
    current->begun = true;
    cairo_save(current->cr);
    // GTK's context draws in logical pixels with the display's scale as device
    // scale; the window procedure draws in device pixels.
    double scale = DesktopScale();
    cairo_scale(current->cr, 1.0 / scale, 1.0 / scale);
    paint->hdc = reinterpret_cast<HDC>(current->cr);
    paint->rcPaint = current->area;
    return paint->hdc;
}

extern "C" BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (!paint || !paint->hdc) return FALSE;
    Paint* current = currentPaint;
    auto* cr = reinterpret_cast<cairo_t*>(paint->hdc);
    if (current && current->begun && current->cr == cr) {
        cairo_restore(cr);
        current->begun = false;
        return TRUE;
    }
    cairo_destroy(cr);
    return TRUE;
}

extern "C" BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
    if (!handle || !IsWindow(handle)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!DesktopRunning()) return TRUE;
    bool whole = rect == nullptr;
    RECT area = whole ? RECT{} : *rect;
    // Any thread may invalidate; the widget belongs to the UI thread.
    RunOnDesktopThread([handle, whole, area] {
        std::shared_ptr<Window> window = FindWindowObject(handle);
        if (window && window->desktop) window->desktop->QueueDraw(whole ? nullptr : &area);
    });
    return TRUE;
}

extern "C" BOOL WINAPI ValidateRect(HWND window, const RECT* rect) {
    // GTK offers no way to take back a queued draw; it then paints once more.
    return IsWindow(window) || !window;
}

extern "C" BOOL WINAPI UpdateWindow(HWND window) {
    // GTK 3 paints in its frame clock's own time: the queued paint follows.
    return IsWindow(window);
}

extern "C" BOOL WINAPI RedrawWindow(HWND window, const RECT* update, HANDLE region, UINT flags) {
    if (flags & RDW_INVALIDATE) return InvalidateRect(window, update, (flags & RDW_ERASE) != 0);
    return IsWindow(window);
}

extern "C" HDC WINAPI GetDC(HWND window) {
    if (window && !IsWindow(window)) return nullptr;
    return reinterpret_cast<HDC>(&screenContext);
}

extern "C" int WINAPI ReleaseDC(HWND window, HDC dc) { return dc == reinterpret_cast<HDC>(&screenContext); }
