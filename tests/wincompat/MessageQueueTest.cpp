#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<UINT> received;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER || message == WM_TIMER || message == WM_DESTROY) received.push_back(message);
    if (message == WM_USER + 50) return 1234;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = Recorder;
        windowClass.lpszClassName = L"QueueTestClass";
        registered = RegisterClassExW(&windowClass) != 0;
    }
    return CreateWindowExW(0, L"queuetestclass", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

TEST(MessageQueue, PostedMessagesArriveInOrderAndRangesFilter) {
    received.clear();
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    std::thread poster([&] {
        for (UINT m : {WM_USER + 1, WM_USER + 7, WM_USER + 2}) EXPECT_TRUE(PostMessageW(window, m, 0, 0));
    });
    poster.join();
    MSG msg;
    // Only the range WM_USER+1..WM_USER+2 first: the +7 stays queued.
    while (PeekMessageW(&msg, window, WM_USER + 1, WM_USER + 2, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(received, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    EXPECT_TRUE(PeekMessageW(&msg, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 7));
    Pump();
    EXPECT_EQ(received.back(), static_cast<UINT>(WM_USER + 7));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(received.back(), static_cast<UINT>(WM_DESTROY));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessageW(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(MessageQueue, GetMessageWakesForAPostFromAnotherThreadAndEndsOnQuit) {
    received.clear();
    HWND window = MakeWindow();
    std::thread poster([&] {
        Sleep(20);
        PostMessageW(window, WM_USER + 3, 0, 0);
    });
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    poster.join();
    PostQuitMessage(7);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    DestroyWindow(window);
}

TEST(MessageQueue, TimersTickUntilKilledAndSendCrossesThreads) {
    received.clear();
    HWND window = MakeWindow();
    ASSERT_EQ(SetTimer(window, 5, 10, nullptr), 5u);
    MSG msg;
    for (int ticks = 0; ticks < 2;) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        if (msg.message == WM_TIMER && msg.wParam == 5) ++ticks;
    }
    EXPECT_TRUE(KillTimer(window, 5));
    EXPECT_FALSE(KillTimer(window, 5));
    LRESULT answer = 0;
    std::thread sender([&] { answer = SendMessageW(window, WM_USER + 50, 0, 0); });
    while (answer == 0) {
        PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);  // handles the sent message
        Sleep(1);
    }
    sender.join();
    EXPECT_EQ(answer, 1234);
    DestroyWindow(window);
}
