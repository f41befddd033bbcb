// Message queues and timers of message-only windows: order and filters,
// posts from other threads, sent messages, the quit message, destroyed
// windows, window data, timers and their priority.
#include "Harness.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace conformance;

namespace {

const wchar_t kClass[] = L"ConformanceQueueClass";
std::vector<UINT> received;
std::vector<UINT_PTR> timerCalls;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER || message == WM_TIMER || message == WM_DESTROY) received.push_back(message);
    if (message == WM_USER + 50) return 1234 + static_cast<LRESULT>(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK TimerCallback(HWND, UINT, UINT_PTR id, DWORD) { timerCalls.push_back(id); }

// A message-only window of the recording class, destroyed with its owner.
class QueueWindow {
public:
    QueueWindow() {
        static const bool registered = [] {
            WNDCLASSEXW windowClass = {};
            windowClass.cbSize = sizeof(windowClass);
            windowClass.lpfnWndProc = Recorder;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kClass;
            return RegisterClassExW(&windowClass) != 0;
        }();
        received.clear();
        if (registered)
            window_ = CreateWindowExW(0, L"conformancequeueclass", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    }
    ~QueueWindow() {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
    }
    QueueWindow(const QueueWindow&) = delete;
    QueueWindow& operator=(const QueueWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

CONFORMANCE_CASE(Messages, ClassesAndWindowData) {
    QueueWindow window;
    REQUIRE(window.get() != nullptr);
    WNDCLASSEXW again = {};
    again.cbSize = sizeof(again);
    again.lpfnWndProc = Recorder;
    again.hInstance = GetModuleHandleW(nullptr);
    again.lpszClassName = L"CONFORMANCEQUEUECLASS";
    CHECK_EQ(RegisterClassExW(&again), 0);
    CHECK_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    CHECK(CreateWindowExW(0, L"NoSuchConformanceClass", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                          nullptr) == nullptr);
    CHECK_EQ(GetWindowLongPtrW(window.get(), GWLP_USERDATA), 0);
    CHECK_EQ(SetWindowLongPtrW(window.get(), GWLP_USERDATA, 0x5A5A), 0);
    CHECK_EQ(GetWindowLongPtrW(window.get(), GWLP_USERDATA), 0x5A5A);
    CHECK_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(Recorder));
    DWORD process = 0;
    CHECK_EQ(GetWindowThreadProcessId(window.get(), &process), GetCurrentThreadId());
    CHECK_EQ(process, GetCurrentProcessId());
}

CONFORMANCE_CASE(Messages, PostedMessagesKeepOrderAndFilters) {
    QueueWindow window;
    REQUIRE(window.get() != nullptr);
    HWND target = window.get();
    std::thread poster([target] {
        for (UINT m : {WM_USER + 1, WM_USER + 7, WM_USER + 2}) PostMessageW(target, m, 0, 0);
    });
    poster.join();
    MSG msg;
    while (PeekMessageW(&msg, target, WM_USER + 1, WM_USER + 2, PM_REMOVE)) DispatchMessageW(&msg);
    CHECK_EQ(received.size(), 2u);
    CHECK(received == (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    CHECK(PeekMessageW(&msg, target, 0, 0, PM_NOREMOVE));
    CHECK_EQ(msg.message, static_cast<UINT>(WM_USER + 7));
    CHECK_EQ(msg.hwnd, target);
    Pump();
    CHECK_EQ(received.back(), static_cast<UINT>(WM_USER + 7));
    CHECK(!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    // A thread message has no window.
    CHECK(PostThreadMessageW(GetCurrentThreadId(), WM_APP + 3, 9, 0));
    CHECK(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    CHECK_EQ(msg.message, static_cast<UINT>(WM_APP + 3));
    CHECK_EQ(msg.hwnd, static_cast<HWND>(nullptr));
    CHECK_EQ(msg.wParam, 9u);
}

// GetMessageW sleeps until another thread posts; WM_QUIT comes after the posted messages.
CONFORMANCE_CASE(Messages, GetMessageAndQuit) {
    QueueWindow window;
    REQUIRE(window.get() != nullptr);
    HWND target = window.get();
    std::thread poster([target] {
        Sleep(50);
        PostMessageW(target, WM_USER + 3, 0, 0);
    });
    MSG msg;
    CHECK_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    CHECK_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    poster.join();
    PostMessageW(target, WM_USER + 4, 0, 0);
    PostQuitMessage(5);
    PostMessageW(target, WM_USER + 5, 0, 0);
    CHECK_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    CHECK_EQ(msg.message, static_cast<UINT>(WM_USER + 4));
    CHECK_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    CHECK_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
    CHECK_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
    CHECK_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    CHECK_EQ(msg.wParam, 5u);
    CHECK(!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

// A message sent from another thread runs in the window's thread while it
// takes messages; the sender gets the result.
CONFORMANCE_CASE(Messages, SentMessages) {
    QueueWindow window;
    REQUIRE(window.get() != nullptr);
    HWND target = window.get();
    CHECK_EQ(SendMessageW(target, WM_USER + 50, 1, 0), 1235);
    std::atomic<LRESULT> result{0};
    std::thread sender([&] { result = SendMessageW(target, WM_USER + 50, 2, 0); });
    for (int i = 0; i < 500 && result == 0; ++i) {
        Pump();
        Sleep(5);
    }
    sender.join();
    CHECK_EQ(result.load(), 1236);
}

CONFORMANCE_CASE(Messages, DestroyedWindows) {
    QueueWindow window;
    REQUIRE(window.get() != nullptr);
    HWND target = window.get();
    CHECK(IsWindow(target));
    CHECK(DestroyWindow(target));
    CHECK(!received.empty() && received.back() == WM_DESTROY);
    CHECK(!IsWindow(target));
    CHECK(!PostMessageW(target, WM_USER, 0, 0));
    CHECK_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

// Timer messages come when they fall due and only when nothing is posted.
CONFORMANCE_CASE(Timers, WindowTimers) {
    QueueWindow window;
    REQUIRE(window.get() != nullptr);
    HWND target = window.get();
    CHECK_EQ(SetTimer(target, 7, 40, nullptr), 7u);
    DWORD started = GetTickCount();
    MSG msg;
    CHECK_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    CHECK_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    CHECK_EQ(msg.wParam, 7u);
    CHECK(GetTickCount() - started >= 30);
    Sleep(60);  // due again
    PostMessageW(target, WM_USER + 9, 0, 0);
    CHECK(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    CHECK_EQ(msg.message, static_cast<UINT>(WM_USER + 9));
    CHECK(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    CHECK_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    CHECK(KillTimer(target, 7));
    CHECK(!KillTimer(target, 7));
    Sleep(60);
    CHECK(!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

// A thread timer gets an id of its own and calls its function when dispatched.
CONFORMANCE_CASE(Timers, ThreadTimerCallbacks) {
    timerCalls.clear();
    UINT_PTR id = SetTimer(nullptr, 0, 20, TimerCallback);
    REQUIRE(id != 0);
    MSG msg;
    CHECK_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    CHECK_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    CHECK_EQ(msg.hwnd, static_cast<HWND>(nullptr));
    CHECK_EQ(msg.wParam, id);
    WINE_DIVERGES("Wine puts a handle of its own for the function in lParam",
                  CHECK_EQ(msg.lParam, reinterpret_cast<LPARAM>(TimerCallback)));
    DispatchMessageW(&msg);
    CHECK(timerCalls.size() == 1 && timerCalls[0] == id);
    CHECK(KillTimer(nullptr, id));
}
