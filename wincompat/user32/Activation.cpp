#include "user32/Activation.h"

#include "user32/DesktopWindow.h"
#include "user32/PointerState.h"
#include "user32/WindowTable.h"

#include <mutex>

namespace wincompat {

namespace {

struct ActivationState {
    std::mutex mutex;
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
};

ActivationState& State() {
    static ActivationState* state = new ActivationState;
    return *state;
}

// Swaps one of the state's windows; the messages go out after the lock is released.
HWND Exchange(HWND ActivationState::*member, HWND value) {
    ActivationState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    HWND previous = state.*member;
    state.*member = value;
    return previous;
}

HWND Read(HWND ActivationState::*member) {
    ActivationState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.*member;
}

void KillFocusIn(HWND root, HWND gainingFocus) {
    HWND focus = Read(&ActivationState::focus);
    if (!focus || RootWindow(focus) != root) return;
    Exchange(&ActivationState::focus, nullptr);
    SendMessageW(focus, WM_KILLFOCUS, reinterpret_cast<WPARAM>(gainingFocus), 0);
}

void FocusDesktop(HWND handle) {
    WithDesktopWindow(handle, [](DesktopWindow& desktop) { desktop.Focus(); });
}

}  // namespace

HWND RootWindow(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    while (window && window->IsChild()) {
        std::shared_ptr<Window> parent = FindWindowObject(window->parent);
        if (!parent) break;
        window = parent;
    }
    return window ? window->handle : nullptr;
}

void ActivateWindow(HWND handle, bool fromDesktop) {
    HWND root = RootWindow(handle);
    if (!root) return;
    HWND previous = Exchange(&ActivationState::active, root);
    if (previous == root) return;
    if (previous && IsWindow(previous)) {
        SendMessageW(previous, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(root));
        KillFocusIn(previous, root);
    }
    if (!fromDesktop) FocusDesktop(root);
    SendMessageW(root, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(root, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
}

void DeactivateWindow(HWND handle) {
    HWND root = RootWindow(handle);
    {
        ActivationState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        if (!root || state.active != root) return;
        state.active = nullptr;
    }
    SendMessageW(root, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(root, WM_ACTIVATE, WA_INACTIVE, 0);
    KillFocusIn(root, nullptr);
}

void ForgetWindowState(HWND handle) {
    ActivationState& state = State();
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        for (HWND ActivationState::*member :
             {&ActivationState::active, &ActivationState::focus, &ActivationState::capture})
            if (state.*member == handle) state.*member = nullptr;
    }
    if (HoverWindow() == handle) SetHoverWindow(nullptr);
}

HWND ActiveWindow() { return Read(&ActivationState::active); }
HWND FocusWindow() { return Read(&ActivationState::focus); }
HWND CaptureWindow() { return Read(&ActivationState::capture); }

}  // namespace wincompat

using namespace wincompat;

extern "C" HWND WINAPI GetForegroundWindow(void) { return ActiveWindow(); }
extern "C" HWND WINAPI GetActiveWindow(void) { return ActiveWindow(); }

extern "C" BOOL WINAPI SetForegroundWindow(HWND window) {
    if (!IsWindow(window)) return FALSE;
    ActivateWindow(window, false);
    return TRUE;
}

extern "C" HWND WINAPI SetActiveWindow(HWND window) {
    HWND previous = ActiveWindow();
    if (!IsWindow(window)) return nullptr;
    ActivateWindow(window, false);
    return previous;
}

extern "C" HWND WINAPI GetFocus(void) { return FocusWindow(); }

extern "C" HWND WINAPI SetFocus(HWND window) {
    if (window && (!IsWindow(window) || !IsWindowEnabled(window))) return nullptr;
    if (window && RootWindow(window) != ActiveWindow()) ActivateWindow(window, false);
    HWND previous = Exchange(&ActivationState::focus, window);
    if (previous == window) return previous;
    if (previous && IsWindow(previous)) SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window) SendMessageW(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

extern "C" HWND WINAPI GetCapture(void) { return CaptureWindow(); }

extern "C" HWND WINAPI SetCapture(HWND window) {
    if (!IsWindow(window)) return nullptr;
    HWND previous = Exchange(&ActivationState::capture, window);
    if (previous && previous != window)
        SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return previous;
}

extern "C" BOOL WINAPI ReleaseCapture(void) {
    HWND previous = Exchange(&ActivationState::capture, nullptr);
    if (previous) SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}
