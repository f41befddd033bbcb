// The desktop behind top-level windows: GTK 3 on the thread that first needs
// it (the UI thread), or nothing at all when there is no display. Every GTK
// call of user32 goes through the UI thread.
#pragma once

#include <windef.h>

#include <chrono>
#include <functional>

namespace wincompat {

// Starts GTK once, on the calling thread, if a display can be opened.
// False when the process runs without a display (headless).
bool DesktopAvailable();

// True once GTK runs; never starts it.
bool DesktopRunning();

// True on the thread that runs GTK (never when headless or before GTK started).
bool OnDesktopThread();

// The display's scale factor: device pixels per GTK (logical) pixel. Without a
// display, GDK_SCALE if set, else 1.
int DesktopScale();

// Runs task on the UI thread: at once when called there, otherwise from its
// GTK loop. Dropped when headless.
void RunOnDesktopThread(std::function<void()> task);

// The UI thread's loop, for its message queue: blocks in GTK until an event,
// a wake-up or the deadline; wakes it from any thread; runs pending GTK events
// without blocking (at most every few milliseconds unless forced).
void WaitForDesktopEvents(std::chrono::steady_clock::time_point deadline);
void WakeDesktop();
void PumpDesktopEvents(bool force);

// While a window procedure paints, no GTK events run and no modal loop starts.
bool InsidePaint();
class PaintScope {
public:
    PaintScope();
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
};

}  // namespace wincompat
