#include "user32/PointerState.h"

#include "user32/MessageQueue.h"
#include "user32/WindowTable.h"

#include <mutex>
#include <stdlib.h>

namespace wincompat {

namespace {

struct Pointer {
    std::mutex mutex;
    POINT position = {0, 0};
    HWND hover = nullptr;
    HWND lastPressWindow = nullptr;
    UINT lastPressButton = 0;
    POINT lastPressPosition = {0, 0};
    DWORD lastPressTime = 0;
};

Pointer& ThePointer() {
    static Pointer* pointer = new Pointer;
    return *pointer;
}

}  // namespace

POINT PointerPosition() {
    Pointer& pointer = ThePointer();
    std::lock_guard<std::mutex> lock(pointer.mutex);
    return pointer.position;
}

void SetPointerPosition(POINT position) {
    Pointer& pointer = ThePointer();
    std::lock_guard<std::mutex> lock(pointer.mutex);
    pointer.position = position;
}

HWND HoverWindow() {
    Pointer& pointer = ThePointer();
    std::lock_guard<std::mutex> lock(pointer.mutex);
    return pointer.hover;
}

void SetHoverWindow(HWND window) {
    Pointer& pointer = ThePointer();
    std::lock_guard<std::mutex> lock(pointer.mutex);
    pointer.hover = window;
}

void NotifyMouseLeft(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window || !window->trackingLeave) return;
    window->trackingLeave = false;  // one notification per TrackMouseEvent, as on Windows
    PostToWindow(handle, WM_MOUSELEAVE, 0, 0);
}

bool IsDoubleClick(HWND handle, UINT button, POINT screen, DWORD time) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    Pointer& pointer = ThePointer();
    std::lock_guard<std::mutex> lock(pointer.mutex);
    bool isDouble = window && (window->windowClass.style & CS_DBLCLKS) && pointer.lastPressWindow == handle &&
                    pointer.lastPressButton == button && time - pointer.lastPressTime <= GetDoubleClickTime() &&
                    abs(screen.x - pointer.lastPressPosition.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                    abs(screen.y - pointer.lastPressPosition.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    // A double click ends the sequence: a third press is a plain press again.
    pointer.lastPressWindow = isDouble ? nullptr : handle;
    pointer.lastPressButton = button;
    pointer.lastPressPosition = screen;
    pointer.lastPressTime = time;
    return isDouble;
}

}  // namespace wincompat
