#include "user32/Cursors.h"

#include "user32/Activation.h"
#include "user32/Desktop.h"
#include "user32/DesktopWindow.h"
#include "user32/PointerState.h"
#include "user32/WindowTable.h"

#include <atomic>
#include <cmath>

namespace wincompat {

namespace {

// A standard cursor: its resource number and its name among GDK's cursors.
struct CursorShape {
    ULONG_PTR resource;
    const char* name;
};

const CursorShape kShapes[] = {
    {32512, "default"},     {32513, "text"},        {32514, "wait"},        {32515, "crosshair"},
    {32642, "nwse-resize"}, {32643, "nesw-resize"}, {32644, "ew-resize"},   {32645, "ns-resize"},
    {32646, "move"},        {32648, "not-allowed"}, {32649, "pointer"},
};

std::atomic<HCURSOR> current{nullptr};

const CursorShape* ShapeOf(HCURSOR cursor) {
    for (const CursorShape& shape : kShapes)
        if (reinterpret_cast<HCURSOR>(const_cast<CursorShape*>(&shape)) == cursor) return &shape;
    return nullptr;
}

GdkCursor* GdkCursorOf(HCURSOR cursor) {
    const CursorShape* shape = ShapeOf(cursor);
    if (!shape) return nullptr;  // none: the window's default
    static GdkCursor* made[std::size(kShapes)] = {};
    GdkCursor*& slot = made[shape - kShapes];
    if (!slot) slot = gdk_cursor_new_from_name(gdk_display_get_default(), shape->name);
    return slot;
}

}  // namespace

void ApplyCursorTo(HWND handle) {
    if (!OnDesktopThread()) return;
    std::shared_ptr<Window> window = FindWindowObject(RootWindow(handle));
    if (window && window->desktop) window->desktop->SetCursor(GdkCursorOf(current));
}

}  // namespace wincompat

using namespace wincompat;

extern "C" HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    if (instance || !IS_INTRESOURCE(name)) return nullptr;  // no cursor resources of our own
    for (const CursorShape& shape : kShapes)
        if (shape.resource == reinterpret_cast<ULONG_PTR>(name))
            return reinterpret_cast<HCURSOR>(const_cast<CursorShape*>(&shape));
    SetLastError(1813);  // ERROR_RESOURCE_TYPE_NOT_FOUND
    return nullptr;
}

extern "C" HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) { return nullptr; }

extern "C" HCURSOR WINAPI GetCursor(void) { return current; }

extern "C" HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    HCURSOR previous = current.exchange(cursor);
    if (previous != cursor) {
        HWND under = CaptureWindow() ? CaptureWindow() : HoverWindow();
        if (under) ApplyCursorTo(under);
    }
    return previous;
}

extern "C" BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    if (OnDesktopThread()) {
        GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
        GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
        if (pointer) {
            double x = 0, y = 0;
            gdk_device_get_position_double(pointer, nullptr, &x, &y);
            int scale = DesktopScale();
            SetPointerPosition({static_cast<LONG>(std::floor(x * scale)), static_cast<LONG>(std::floor(y * scale))});
        }
    }
    *point = PointerPosition();
    return TRUE;
}

extern "C" UINT WINAPI GetDoubleClickTime(void) { return 500; }
