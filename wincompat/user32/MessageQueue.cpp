#include "user32/MessageQueue.h"

#include "user32/Desktop.h"
#include "user32/PointerState.h"
#include "user32/WindowTable.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <list>
#include <map>
#include <mutex>

namespace wincompat {

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
    HWND window;
    UINT_PTR id;
    std::chrono::milliseconds interval;
    Clock::time_point due;
    TIMERPROC function;
};

struct SentMessage {
    MSG msg;
    std::promise<LRESULT> result;
};

bool MatchesWindow(HWND message, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) return message == nullptr;
    return message == filter;
}

bool MatchesRange(UINT message, UINT low, UINT high) {
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{window, message, wParam, lParam, GetTickCount(), PointerPosition()};
}

class MessageQueue {
public:
    void Post(const MSG& msg, bool atFront = false) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (atFront) posted_.push_front(msg);
        else posted_.push_back(msg);
        Wake(lock);
    }

    void Send(std::shared_ptr<SentMessage> sent) {
        std::unique_lock<std::mutex> lock(mutex_);
        sent_.push_back(std::move(sent));
        Wake(lock);
    }

    void Quit(int exitCode) {
        std::unique_lock<std::mutex> lock(mutex_);
        quit_ = true;
        quitCode_ = exitCode;
        Wake(lock);
    }

    // Handles messages sent from other threads, then looks for a message.
    bool Peek(MSG* out, HWND window, UINT low, UINT high, bool remove) {
        HandleSentMessages();
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = posted_.begin(); it != posted_.end(); ++it) {
            if (!MatchesWindow(it->hwnd, window) || !MatchesRange(it->message, low, high)) continue;
            *out = *it;
            if (remove) posted_.erase(it);
            return true;
        }
        if (quit_) {
            *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(quitCode_), 0);
            if (remove) quit_ = false;
            return true;
        }
        return PeekTimer(out, window, low, high, remove);
    }

    // Sleeps until something arrives or the next timer falls due; on the UI
    // thread inside GTK's loop, so that input and painting go on meanwhile.
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!posted_.empty() || !sent_.empty() || quit_) return;
        Clock::time_point next = Clock::time_point::max();
        for (const Timer& timer : timers_) next = std::min(next, timer.due);
        if (OnDesktopThread()) {
            waitingInDesktop_ = true;
            lock.unlock();
            WaitForDesktopEvents(next);
            lock.lock();
            waitingInDesktop_ = false;
            return;
        }
        if (next == Clock::time_point::max()) wake_.wait(lock);
        else wake_.wait_until(lock, next);
    }

    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC function) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!window && id == 0) id = nextTimerId_++;
        timers_.remove_if([&](const Timer& t) { return t.window == window && t.id == id; });
        auto interval = std::chrono::milliseconds(elapse < 10 ? 10 : elapse);  // USER_TIMER_MINIMUM
        timers_.push_back({window, id, interval, Clock::now() + interval, function});
        Wake(lock);
        return window ? (id ? id : 1) : id;
    }

    bool KillTimer(HWND window, UINT_PTR id) {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t before = timers_.size();
        timers_.remove_if([&](const Timer& t) { return t.window == window && t.id == id; });
        return timers_.size() != before;
    }

    void KillWindowTimers(HWND window) {
        std::lock_guard<std::mutex> lock(mutex_);
        timers_.remove_if([&](const Timer& t) { return t.window == window; });
    }

private:
    // Called with the lock held; releases it. GTK is woken only when the UI
    // thread is (about to be) blocked in it, so busy queues cost no wake-ups.
    void Wake(std::unique_lock<std::mutex>& lock) {
        wake_.notify_all();
        bool desktop = waitingInDesktop_;
        lock.unlock();
        if (desktop) WakeDesktop();
    }

    void HandleSentMessages() {
        for (;;) {
            std::shared_ptr<SentMessage> sent;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (sent_.empty()) return;
                sent = sent_.front();
                sent_.pop_front();
            }
            std::shared_ptr<Window> target = FindWindowObject(sent->msg.hwnd);
            sent->result.set_value(target ? target->procedure(sent->msg.hwnd, sent->msg.message, sent->msg.wParam,
                                                               sent->msg.lParam)
                                          : 0);
        }
    }

    bool PeekTimer(MSG* out, HWND window, UINT low, UINT high, bool remove) {
        if (!MatchesRange(WM_TIMER, low, high)) return false;
        Clock::time_point now = Clock::now();
        for (Timer& timer : timers_) {
            if (timer.due > now || !MatchesWindow(timer.window, window)) continue;
            *out = MakeMessage(timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.function));
            if (remove) timer.due = now + timer.interval;
            return true;
        }
        return false;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<MSG> posted_;
    std::deque<std::shared_ptr<SentMessage>> sent_;
    std::list<Timer> timers_;
    bool quit_ = false;
    int quitCode_ = 0;
    bool waitingInDesktop_ = false;
    UINT_PTR nextTimerId_ = 0x7FFE;
};

struct QueueRegistry {
    std::mutex mutex;
    std::map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

QueueRegistry& Queues() {
    static QueueRegistry* registry = new QueueRegistry;
    return *registry;
}

std::shared_ptr<MessageQueue> QueueOf(DWORD thread, bool create) {
    QueueRegistry& registry = Queues();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.queues.find(thread);
    if (found != registry.queues.end()) return found->second;
    if (!create) return nullptr;
    auto queue = std::make_shared<MessageQueue>();
    registry.queues[thread] = queue;
    return queue;
}

MessageQueue& CurrentQueue() {
    thread_local std::shared_ptr<MessageQueue> queue = QueueOf(GetCurrentThreadId(), true);
    return *queue;
}

}  // namespace

void KillWindowTimers(HWND window) { CurrentQueue().KillWindowTimers(window); }

LRESULT SendMessageToThread(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto sent = std::make_shared<SentMessage>();
    sent->msg = MakeMessage(window->handle, message, wParam, lParam);
    std::future<LRESULT> result = sent->result.get_future();
    QueueOf(window->thread, true)->Send(sent);
    return result.get();
}

bool PostToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) return false;
    QueueOf(window->thread, true)->Post(MakeMessage(handle, message, wParam, lParam));
    return true;
}

void PostAtFront(const MSG& msg) { CurrentQueue().Post(msg, true); }

bool PeekQueue(MSG* out, HWND window, UINT low, UINT high, bool remove) {
    bool desktop = OnDesktopThread();
    if (desktop) PumpDesktopEvents(false);
    if (CurrentQueue().Peek(out, window, low, high, remove)) return true;
    if (!desktop) return false;
    PumpDesktopEvents(true);
    return CurrentQueue().Peek(out, window, low, high, remove);
}

void WaitQueue() { CurrentQueue().Wait(); }

}  // namespace wincompat

using namespace wincompat;

extern "C" BOOL WINAPI PostThreadMessageW(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<MessageQueue> queue = QueueOf(thread, false);
    if (!queue) {
        SetLastError(1444);  // ERROR_INVALID_THREAD_ID
        return FALSE;
    }
    queue->Post(MakeMessage(nullptr, message, wParam, lParam));
    return TRUE;
}

extern "C" void WINAPI PostQuitMessage(int exitCode) { CurrentQueue().Quit(exitCode); }

extern "C" UINT_PTR WINAPI SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC function) {
    if (handle) {
        std::shared_ptr<Window> window = FindWindowObject(handle);
        if (!window || window->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    }
    return CurrentQueue().SetTimer(handle, id, elapse, function);
}

extern "C" BOOL WINAPI KillTimer(HWND handle, UINT_PTR id) {
    if (CurrentQueue().KillTimer(handle, id)) return TRUE;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
