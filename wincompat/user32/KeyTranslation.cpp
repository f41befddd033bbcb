// TranslateMessage: the characters of keys the input method leaves alone.
// Printable text reaches the queue from the input method, right after its key.
#include "user32/KeyState.h"
#include "user32/MessageQueue.h"

namespace {

WPARAM CharacterOfKey(WPARAM key, bool control) {
    switch (key) {
    case VK_RETURN: return control ? '\n' : '\r';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_BACK: return control ? 0x7F : '\b';
    default: break;
    }
    if (control && key >= 'A' && key <= 'Z') return key - 'A' + 1;  // Ctrl+A is 0x01
    return 0;
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

}  // namespace

extern "C" BOOL WINAPI TranslateMessage(const MSG* msg) {
    using namespace wincompat;
    if (!msg || !IsKeyMessage(msg->message)) return FALSE;
    if (msg->message != WM_KEYDOWN) return TRUE;
    bool control = IsKeyDown(VK_CONTROL) && !IsKeyDown(VK_MENU);
    if (WPARAM character = CharacterOfKey(msg->wParam, control))
        PostAtFront(MSG{msg->hwnd, WM_CHAR, character, msg->lParam, msg->time, msg->pt});
    return TRUE;
}
