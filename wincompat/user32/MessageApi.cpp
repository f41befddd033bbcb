// Posting, sending, retrieving and dispatching messages.
#include "user32/MessageQueue.h"
#include "user32/WindowTable.h"

using namespace wincompat;

namespace {

bool CheckMessagePointer(LPMSG msg) {
    if (msg) return true;
    SetLastError(ERROR_NOACCESS);
    return false;
}

}  // namespace

extern "C" BOOL WINAPI PostMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (PostToWindow(handle, message, wParam, lParam)) return TRUE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}

extern "C" LRESULT WINAPI SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->thread != GetCurrentThreadId()) return SendMessageToThread(window, message, wParam, lParam);
    return window->procedure(handle, message, wParam, lParam);
}

extern "C" BOOL WINAPI PeekMessageW(LPMSG msg, HWND window, UINT low, UINT high, UINT removeMessage) {
    if (!CheckMessagePointer(msg)) return FALSE;
    return PeekQueue(msg, window, low, high, (removeMessage & PM_REMOVE) != 0) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI GetMessageW(LPMSG msg, HWND window, UINT low, UINT high) {
    if (!CheckMessagePointer(msg)) return -1;
    while (!PeekQueue(msg, window, low, high, true)) WaitQueue();
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

extern "C" BOOL WINAPI WaitMessage(void) {
    MSG msg;
    if (!PeekQueue(&msg, nullptr, 0, 0, false)) WaitQueue();
    return TRUE;
}

extern "C" LRESULT WINAPI DispatchMessageW(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    std::shared_ptr<Window> window = FindWindowObject(msg->hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return window->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
