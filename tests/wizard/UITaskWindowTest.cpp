#include "wizard/UITaskWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Counts live copies, to see that every closure is freed exactly once.
struct Tracked {
    static std::atomic<int> alive;
    Tracked() { ++alive; }
    Tracked(const Tracked&) { ++alive; }
    ~Tracked() { --alive; }
};
std::atomic<int> Tracked::alive{0};

class UITaskWindowTest : public ::testing::Test {
protected:
    void SetUp() override { CreateUITaskWindow(); }
    void TearDown() override { DestroyUITaskWindow(); }
};

}  // namespace

TEST_F(UITaskWindowTest, TasksFromAWorkerRunOnThisThreadInPostingOrder) {
    std::vector<int> order;
    DWORD uiThread = GetCurrentThreadId();
    std::vector<DWORD> ranOn;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(PostUITask([&, i] {
                order.push_back(i);
                ranOn.push_back(GetCurrentThreadId());
            }));
    });
    worker.join();
    EXPECT_TRUE(order.empty());  // nothing runs until this thread pumps
    RunPendingUITasks();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    for (DWORD thread : ranOn) EXPECT_EQ(thread, uiThread);
}

TEST_F(UITaskWindowTest, TeardownRunsWhatIsQueuedAndLaterPostsAreFreedUnrun) {
    int ran = 0;
    PostUITask([&ran, t = Tracked()] { ++ran; });
    DestroyUITaskWindow();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_FALSE(PostUITask([&ran, t = Tracked()] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_EQ(UITaskWindowHandle(), nullptr);
}

TEST_F(UITaskWindowTest, PostsRacingTeardownAreRunOrFreedNeverLost) {
    std::atomic<int> ran{0}, posted{0};
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        while (!stop)
            if (PostUITask([&ran, t = Tracked()] { ++ran; })) ++posted;
    });
    for (int i = 0; i < 20; ++i) RunPendingUITasks();
    DestroyUITaskWindow();
    stop = true;
    worker.join();
    EXPECT_EQ(ran.load(), posted.load());
    EXPECT_EQ(Tracked::alive, 0);
}

TEST_F(UITaskWindowTest, TimerTaskRunsItsCountThenIsFreed) {
    int ticks = 0;
    ASSERT_TRUE(StartUITaskTimer([&ticks, t = Tracked()] { ++ticks; }, 10, 3));
    MSG msg;
    while (ticks < 3 && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(Tracked::alive, 0);
    // The drain runs task messages only; a timer stays queued.
    ASSERT_TRUE(StartUITaskTimer([&ticks, t = Tracked()] { ++ticks; }, 10, -1));
    Sleep(30);
    RunPendingUITasks();
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    DispatchMessageW(&msg);
    EXPECT_EQ(ticks, 4);
    // An unlimited timer's record goes with the window.
    DestroyUITaskWindow();
    EXPECT_EQ(Tracked::alive, 0);
}
