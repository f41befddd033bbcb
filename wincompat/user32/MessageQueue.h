// Per-thread message queues: posted messages, messages sent from other
// threads, the quit flag and timers, retrieved in the order Windows uses
// (sent, posted, quit, timers).
#pragma once

#include <windows.h>

#include <memory>

namespace wincompat {

struct Window;

// Drops the timers of a window that is being destroyed.
void KillWindowTimers(HWND window);

// Sends to a window of another thread and waits until that thread has handled it.
LRESULT SendMessageToThread(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace wincompat
