// Per-thread message queues: posted messages, messages sent from other
// threads, the quit flag and timers, retrieved in the order Windows uses
// (sent, posted, quit, timers). On the UI thread the wait runs GTK's loop.
#pragma once

#include <windows.h>

#include <memory>

namespace wincompat {

struct Window;

// Drops the timers of a window that is being destroyed.
void KillWindowTimers(HWND window);

// Sends to a window of another thread and waits until that thread has handled it.
LRESULT SendMessageToThread(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam);

// Posts to the queue of the thread that owns the window; false for a window that is gone.
bool PostToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Puts a message at the head of the calling thread's queue, to be retrieved next.
void PostAtFront(const MSG& msg);

// The calling thread's queue: handles sent messages and looks for a message;
// waits until there may be one.
bool PeekQueue(MSG* out, HWND window, UINT low, UINT high, bool remove);
void WaitQueue();

}  // namespace wincompat
