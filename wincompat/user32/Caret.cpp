// The caret: one per thread, owned by a window. It is not drawn here (the
// window draws its own); its place tells the input method where to show its
// candidate window.
#include "user32/DesktopWindow.h"
#include "user32/WindowTable.h"

using namespace wincompat;

namespace {

struct Caret {
    HWND window = nullptr;
    SIZE size = {0, 0};
    POINT position = {0, 0};
    int hidden = 1;  // a new caret is hidden until ShowCaret
};
thread_local Caret caret;

void TellInputMethod() {
    std::shared_ptr<Window> window = FindWindowObject(caret.window);
    if (!window || !window->desktop) return;
    RECT area = {caret.position.x, caret.position.y, caret.position.x + std::max<LONG>(caret.size.cx, 1),
                 caret.position.y + std::max<LONG>(caret.size.cy, 1)};
    window->desktop->SetInputMethodCursor(area);
}

}  // namespace

extern "C" BOOL WINAPI CreateCaret(HWND window, HBITMAP bitmap, int width, int height) {
    if (!IsWindow(window)) return FALSE;
    caret = Caret{window, {width, height}, {0, 0}, 1};
    return TRUE;
}

extern "C" BOOL WINAPI SetCaretPos(int x, int y) {
    if (!caret.window) return FALSE;
    caret.position = {x, y};
    TellInputMethod();
    return TRUE;
}

extern "C" BOOL WINAPI GetCaretPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = caret.position;
    return TRUE;
}

extern "C" BOOL WINAPI ShowCaret(HWND window) {
    if (!caret.window || (window && window != caret.window)) return FALSE;
    if (caret.hidden > 0) --caret.hidden;
    return TRUE;
}

extern "C" BOOL WINAPI HideCaret(HWND window) {
    if (!caret.window || (window && window != caret.window)) return FALSE;
    ++caret.hidden;
    return TRUE;
}

extern "C" BOOL WINAPI DestroyCaret(void) {
    if (!caret.window) return FALSE;
    caret = Caret{};
    return TRUE;
}
