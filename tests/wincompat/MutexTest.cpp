// Mutexes: ownership among the threads of one process, names shared with
// other processes of the prefix, and a holder that is killed outright.
#include <windows.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

extern char** environ;

namespace {

std::wstring UniqueName(const wchar_t* stem) {
    return std::wstring(L"MutexTest.") + stem + L"." + std::to_wstring(GetCurrentProcessId());
}

// What WaitForSingleObject answers another thread of this process.
DWORD WaitOnOtherThread(HANDLE mutex, DWORD milliseconds, bool release = false) {
    DWORD result = 0;
    std::thread other([&] {
        result = WaitForSingleObject(mutex, milliseconds);
        if (release && result == WAIT_OBJECT_0) ReleaseMutex(mutex);
    });
    other.join();
    return result;
}

// wincompat-hold owning a mutex of this test's prefix, once it says so.
class MutexHolder {
public:
    explicit MutexHolder(const std::string& name) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<std::string> argv = {BuildFile("wincompat-hold"), "--mutex", name};
        if (posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char line[256] = {};
        pollfd ready{out[0], POLLIN, 0};
        if (pid_ > 0 && poll(&ready, 1, 10000) > 0) ready_ = read(out[0], line, sizeof(line) - 1) > 0;
        close(out[0]);
    }
    ~MutexHolder() { Kill(); }
    MutexHolder(const MutexHolder&) = delete;
    MutexHolder& operator=(const MutexHolder&) = delete;

    bool Ready() const { return ready_; }
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

TEST(Mutex, OwnershipBelongsToOneThreadAndIsCounted) {
    for (const wchar_t* name : {static_cast<const wchar_t*>(nullptr), L"MutexTest.Threads"}) {
        HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
        ASSERT_NE(mutex, nullptr);
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // the owner again: counted
        EXPECT_EQ(WaitOnOtherThread(mutex, 50), static_cast<DWORD>(WAIT_TIMEOUT));
        std::thread stranger([&] {
            EXPECT_FALSE(ReleaseMutex(mutex));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
        });
        stranger.join();
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_EQ(WaitOnOtherThread(mutex, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still held once
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_FALSE(ReleaseMutex(mutex));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
        EXPECT_EQ(WaitOnOtherThread(mutex, INFINITE, true), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_TRUE(CloseHandle(mutex));
    }
}

TEST(Mutex, WaitersOfOneProcessTakeTurns) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, UniqueName(L"Turns").c_str());
    ASSERT_NE(mutex, nullptr);
    int inside = 0, most = 0, rounds = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
                most = std::max(most, ++inside);
                ++rounds;
                --inside;
                ReleaseMutex(mutex);
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(most, 1);
    EXPECT_EQ(rounds, 800);
    CloseHandle(mutex);
}

TEST(Mutex, NamesAreCaseSensitiveLocalByDefaultAndRefusedWithFolders) {
    std::wstring name = UniqueName(L"Names");
    HANDLE first = CreateMutexW(nullptr, FALSE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    struct Case {
        std::wstring name;
        DWORD error;  // after CreateMutexW
    } cases[] = {
        {name, ERROR_ALREADY_EXISTS},
        {L"Local\\" + name, ERROR_ALREADY_EXISTS},
        {L"Global\\" + name, ERROR_SUCCESS},
        {name + L"x", ERROR_SUCCESS},
        {L"mutextest" + name.substr(9), ERROR_SUCCESS},
        {L"Elsewhere\\" + name, ERROR_PATH_NOT_FOUND},
        {std::wstring(MAX_PATH + 1, L'n'), ERROR_FILENAME_EXCED_RANGE},
        {std::wstring(L"名字/with:odd*chars?") + name, ERROR_SUCCESS},
    };
    for (const Case& test : cases) {
        HANDLE handle = CreateMutexW(nullptr, FALSE, test.name.c_str());
        EXPECT_EQ(GetLastError(), test.error) << wincompat::Utf8FromWide(test.name);
        EXPECT_EQ(handle != nullptr, test.error == ERROR_SUCCESS || test.error == ERROR_ALREADY_EXISTS);
        if (handle) CloseHandle(handle);
    }
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Mutex, AMutexOfAKilledHolderIsAbandonedAndItsNameFreed) {
    std::wstring name = L"Global\\" + UniqueName(L"Killed");
    {
        MutexHolder holder(wincompat::Utf8FromWide(name));
        ASSERT_TRUE(holder.Ready());
        HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
        ASSERT_NE(mutex, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        EXPECT_EQ(WaitForSingleObject(mutex, 100), static_cast<DWORD>(WAIT_TIMEOUT));
        std::thread waiter([&] {
            EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_ABANDONED);
            ReleaseMutex(mutex);
        });
        holder.Kill();
        waiter.join();
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // released properly: no longer abandoned
        EXPECT_TRUE(ReleaseMutex(mutex));
        CloseHandle(mutex);
    }
    {
        // Killed while only it held the name: the name goes with it.
        MutexHolder holder(wincompat::Utf8FromWide(name));
        ASSERT_TRUE(holder.Ready());
        holder.Kill();
        HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
        ASSERT_NE(mutex, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(WaitOnOtherThread(mutex, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // owned from creation
        CloseHandle(mutex);
    }
}

}  // namespace
