#include "user32/DesktopKeys.h"

#include "user32/Activation.h"
#include "user32/DesktopWindow.h"
#include "user32/KeyCodes.h"
#include "user32/KeyState.h"
#include "user32/MessageQueue.h"
#include "prefix/Prefix.h"
#include "prefix/RegistryText.h"

namespace wincompat {

namespace {

// The key press being filtered by the input method, which its text belongs to.
struct PressInFilter {
    HWND target = nullptr;
    LPARAM parameter = 1;
    bool alt = false;
    bool control = false;
};
PressInFilter pressInFilter;
// Alt went down and another key followed: its release is then a plain WM_KEYUP.
bool altCombined = false;

UINT GenericKey(UINT virtualKey) {
    switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return virtualKey;
    }
}

void SyncModifier(UINT virtualKey, bool held) {
    if (held != IsKeyDown(virtualKey)) SetKeyDown(virtualKey, held);
}

HWND KeyTarget(HWND window) {
    HWND focus = FocusWindow();
    return focus && RootWindow(focus) == window ? focus : window;
}

UINT KeyMessage(UINT key, bool up, bool alt) {
    if (key == VK_MENU && up) return altCombined ? WM_KEYUP : WM_SYSKEYUP;
    if (alt || key == VK_F10) return up ? WM_SYSKEYUP : WM_SYSKEYDOWN;
    return up ? WM_KEYUP : WM_KEYDOWN;
}

void PostUnits(HWND target, const std::u16string& units, UINT message, LPARAM parameter) {
    for (char16_t unit : units) PostToWindow(target, message, unit, parameter);
}

}  // namespace

void SyncModifierKeys(guint state) {
    SyncModifier(VK_SHIFT, (state & GDK_SHIFT_MASK) != 0);
    SyncModifier(VK_CONTROL, (state & GDK_CONTROL_MASK) != 0);
    SyncModifier(VK_MENU, (state & GDK_MOD1_MASK) != 0);
    SetKeyToggled(VK_CAPITAL, (state & GDK_LOCK_MASK) != 0);
}

void HandleKeyEvent(HWND window, DesktopWindow& desktop, const GdkEventKey& event) {
    bool up = event.type == GDK_KEY_RELEASE;
    SyncModifierKeys(event.state);
    UINT virtualKey = VirtualKeyOf(event);
    UINT key = GenericKey(virtualKey);
    bool wasDown = IsKeyDown(virtualKey);
    SetKeyDown(virtualKey, !up);
    if (!up && key == VK_MENU && !wasDown) altCombined = false;
    bool alt = IsKeyDown(VK_MENU);
    if (!up && key != VK_MENU && alt) altCombined = true;
    UINT message = KeyMessage(key, up, alt);
    LPARAM parameter = KeyMessageParameter(event, wasDown, up, message == WM_SYSKEYDOWN || message == WM_SYSKEYUP);
    HWND target = KeyTarget(window);
    PostToWindow(target, message, key, parameter);
    // The input method sees every key (it may be composing); the text it
    // commits now belongs to this key and follows its key-down.
    pressInFilter = {target, parameter, alt, IsKeyDown(VK_CONTROL)};
    gtk_im_context_filter_keypress(desktop.InputMethod(), const_cast<GdkEventKey*>(&event));
    pressInFilter = {};
}

void HandleInputMethodCommit(HWND window, const char* text) {
    std::u16string units = Utf16FromWide(WideFromUtf8(text));
    if (units.empty()) return;
    // Control characters come from TranslateMessage; Ctrl+letter is its control
    // code there, never the letter.
    if (units.size() == 1 && (units[0] < 0x20 || units[0] == 0x7F)) return;
    if (!pressInFilter.target) {
        PostUnits(KeyTarget(window), units, WM_CHAR, 1);
        return;
    }
    if (pressInFilter.control && !pressInFilter.alt) return;
    PostUnits(pressInFilter.target, units, pressInFilter.alt ? WM_SYSCHAR : WM_CHAR, pressInFilter.parameter);
}

}  // namespace wincompat
