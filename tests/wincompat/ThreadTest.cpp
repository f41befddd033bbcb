// Threads made by CreateThread: each has a signal stack of its own while it
// runs, and gives it back when it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct SignalStackSeen {
    bool enabled = false;
    void* base = nullptr;
    std::atomic<bool>* hold = nullptr;  // while set, the thread stays
};

DWORD WINAPI ReadSignalStack(LPVOID parameter) {
    stack_t current{};
    sigaltstack(nullptr, &current);
    auto* seen = static_cast<SignalStackSeen*>(parameter);
    seen->enabled = !(current.ss_flags & SS_DISABLE);
    seen->base = current.ss_sp;
    while (seen->hold && seen->hold->load()) Sleep(1);
    return 0;
}

size_t MappingCount() {
    std::ifstream maps("/proc/self/maps");
    size_t count = 0;
    for (std::string line; std::getline(maps, line);) ++count;
    return count;
}

}  // namespace

TEST(Threads, EachThreadHasASignalStackOfItsOwn) {
    std::atomic<bool> hold{true};  // both alive at once, so that neither reuses the other's stack
    SignalStackSeen first, second;
    first.hold = second.hold = &hold;
    HANDLE a = CreateThread(nullptr, 0, ReadSignalStack, &first, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, ReadSignalStack, &second, 0, nullptr);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(WaitForSingleObject(a, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    hold = false;
    EXPECT_EQ(WaitForSingleObject(a, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(b, INFINITE), WAIT_OBJECT_0);
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_TRUE(first.enabled);
    EXPECT_TRUE(second.enabled);
    EXPECT_NE(first.base, second.base);
}

// A thousand threads started and ended leave no stacks behind. The last ones
// may still be unwinding after their handles are signalled: wait for that.
TEST(Threads, EndedThreadsGiveTheirStacksBack) {
    size_t before = MappingCount();
    for (int i = 0; i < 1000; ++i) {
        SignalStackSeen seen;
        HANDLE thread = CreateThread(nullptr, 64 * 1024, ReadSignalStack, &seen, 0, nullptr);
        ASSERT_TRUE(thread) << i;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    size_t after = MappingCount();
    for (int wait = 0; wait < 100 && after > before + 16; ++wait) {
        Sleep(50);
        after = MappingCount();
    }
    EXPECT_LE(after, before + 16);
}

TEST(Threads, RefusedStarts) {
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, ReadSignalStack, nullptr, CREATE_SUSPENDED, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
