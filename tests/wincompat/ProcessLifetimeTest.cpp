// Opening, waiting for and ending processes, and their exit codes.
#include <windows.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

extern char** environ;

namespace {

bool ProcessExists(DWORD pid) {
    struct stat info {};
    return stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0;
}

int64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// A probe started with CreateProcessW; ended and closed when the test is done.
class Child {
public:
    explicit Child(const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + wincompat::UnixToDos(BuildFile("process-probe")) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &information_);
    }
    ~Child() {
        if (!started_) return;
        TerminateProcess(information_.hProcess, 0);
        WaitForSingleObject(information_.hProcess, 10000);
        CloseHandle(information_.hThread);
        CloseHandle(information_.hProcess);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return started_; }
    HANDLE Process() const { return information_.hProcess; }
    DWORD Id() const { return information_.dwProcessId; }
    // Gives up the handles, as a caller that does not wait would.
    void CloseHandles() {
        CloseHandle(information_.hThread);
        CloseHandle(information_.hProcess);
        started_ = false;
    }

private:
    PROCESS_INFORMATION information_{};
    BOOL started_ = FALSE;
};

DWORD ExitCodeOf(HANDLE process) {
    DWORD code = 12345;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    return code;
}

TEST(ProcessLifetime, ExitCodesAreThoseWindowsWouldReport) {
    struct Case {
        std::wstring arguments;
        DWORD expected;
    };
    const Case cases[] = {
        {L"exit 0", 0},
        {L"exit 7", 7},
        {L"abort", 3},  // as abort() in the C runtime
    };
    for (const Case& test : cases) {
        Child child(test.arguments);
        ASSERT_TRUE(child.Started());
        ASSERT_EQ(WaitForSingleObject(child.Process(), INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(ExitCodeOf(child.Process()), test.expected) << wincompat::Utf8FromWide(test.arguments);
    }
}

TEST(ProcessLifetime, RunningProcessIsStillActiveUntilTerminatedWithItsCode) {
    Child child(L"sleep 30");
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(ExitCodeOf(child.Process()), static_cast<DWORD>(STILL_ACTIVE));
    int64_t before = NowMs();
    EXPECT_EQ(WaitForSingleObject(child.Process(), 150), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(NowMs() - before, 140);

    // Ended through a second handle: every handle reports the code given.
    HANDLE opened = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, child.Id());
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(TerminateProcess(opened, 2));
    EXPECT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(child.Process(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(child.Process()), 2u);
    EXPECT_EQ(ExitCodeOf(opened), 2u);
    EXPECT_FALSE(TerminateProcess(opened, 4));  // already ended
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(opened);
}

TEST(ProcessLifetime, OpenProcessRefusesMissingProcessesAndHandlesKeepTheirAccess) {
    EXPECT_EQ(OpenProcess(PROCESS_TERMINATE, FALSE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(OpenProcess(PROCESS_TERMINATE, FALSE, 0x7FFFFFF0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    Child child(L"sleep 30");
    ASSERT_TRUE(child.Started());
    HANDLE queryOnly = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, child.Id());
    ASSERT_NE(queryOnly, nullptr);
    EXPECT_FALSE(TerminateProcess(queryOnly, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(WaitForSingleObject(queryOnly, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ExitCodeOf(queryOnly), static_cast<DWORD>(STILL_ACTIVE));
    CloseHandle(queryOnly);
    EXPECT_EQ(ExitCodeOf(child.Process()), static_cast<DWORD>(STILL_ACTIVE));  // untouched
}

TEST(ProcessLifetime, ProcessesThatAreNotOurChildrenCanBeOpenedEndedAndWaitedFor) {
    pid_t pid = 0;
    char sleepPath[] = "/bin/sleep";
    char seconds[] = "30";
    char* argv[] = {sleepPath, seconds, nullptr};
    ASSERT_EQ(posix_spawn(&pid, sleepPath, nullptr, nullptr, argv, environ), 0);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(ExitCodeOf(process), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(TerminateProcess(process, 2));
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(process), 2u);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);  // its own parent still collects it
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    CloseHandle(process);
}

TEST(ProcessLifetime, EndedChildrenLeaveNoZombies) {
    // Waited for, then closed.
    Child waited(L"exit 0");
    ASSERT_TRUE(waited.Started());
    DWORD waitedId = waited.Id();
    ASSERT_EQ(WaitForSingleObject(waited.Process(), 10000), WAIT_OBJECT_0);
    waited.CloseHandles();
    EXPECT_FALSE(ProcessExists(waitedId));

    // Closed at once, as a caller that does not wait does; collected by a later start.
    Child orphan(L"exit 0");
    ASSERT_TRUE(orphan.Started());
    DWORD orphanId = orphan.Id();
    orphan.CloseHandles();
    int64_t deadline = NowMs() + 10000;
    while (ProcessExists(orphanId) && NowMs() < deadline) {
        Sleep(50);
        Child next(L"exit 0");
    }
    EXPECT_FALSE(ProcessExists(orphanId));
}

}  // namespace
