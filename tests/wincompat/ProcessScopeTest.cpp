// Only the processes of this prefix are seen: the snapshot lists them and
// OpenProcess opens them; every other process is as if it did not exist.
#include <windows.h>
#include <tlhelp32.h>

#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Listed(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = entry.th32ProcessID == pid;
    CloseHandle(snapshot);
    return found;
}

// A copy of sleep at path, started in folder with the environment's
// WINCOMPAT_PREFIX set to prefix, or without one.
class Sleeper {
public:
    Sleeper(const std::string& path, const char* prefix, const std::string& folder) {
        WriteWholeFile(path, ReadWholeFile("/bin/sleep"));
        chmod(path.c_str(), 0755);
        std::vector<std::string> environment = MergedEnvironment({});
        std::erase_if(environment, [](const std::string& e) { return e.rfind("WINCOMPAT_PREFIX=", 0) == 0; });
        if (prefix) environment.push_back(std::string("WINCOMPAT_PREFIX=") + prefix);
        std::vector<std::string> argv = {path, "30"};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(environment).data()))
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Sleeper() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    DWORD Id() const { return static_cast<DWORD>(pid_); }
    bool Runs() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
};

TEST(ProcessScope, OnlyProcessesOfThisPrefixAreListedAndOpened) {
    const std::string& prefix = TestPrefixRoot();
    std::string outside = MakeTestFolder("scope-outside");
    std::string other = outside + "/other-prefix";
    std::string inside = prefix + "/drive_c/ScopeTest";
    mkdir(other.c_str(), 0777);
    // Through the prefix, which makes its drive on first use.
    ASSERT_TRUE(CreateDirectoryW(L"C:\\ScopeTest", nullptr));
    std::string alias = outside + "/alias";
    symlink(prefix.c_str(), alias.c_str());
    std::string parent = prefix.substr(0, prefix.rfind('/'));
    std::string relative = prefix.substr(prefix.rfind('/') + 1);
    struct Case {
        const char* what;
        std::string program;
        const char* prefix;
        std::string folder;
        bool ours;
    } cases[] = {
        {"names this prefix", outside + "/Named.exe", prefix.c_str(), outside, true},
        {"names it through a link", outside + "/Aliased.exe", alias.c_str(), outside, true},
        {"names it relative to its folder", outside + "/Relative.exe", relative.c_str(), parent, true},
        {"names another prefix", outside + "/Other.exe", other.c_str(), outside, false},
        {"names another, runs from here", inside + "/Stranger.exe", other.c_str(), outside, false},
        {"names none, runs from here", inside + "/Installed.exe", nullptr, outside, true},
        {"names none, runs from the host", outside + "/Host.exe", nullptr, outside, false},
    };
    for (const Case& test : cases) {
        Sleeper process(test.program, test.prefix, test.folder);
        ASSERT_TRUE(process.Runs()) << test.what;
        EXPECT_EQ(Listed(process.Id()), test.ours) << test.what;
        HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.Id());
        EXPECT_EQ(handle != nullptr, test.ours) << test.what;
        if (!handle) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << test.what;
            EXPECT_TRUE(process.Runs()) << test.what;
            continue;
        }
        EXPECT_TRUE(TerminateProcess(handle, 2)) << test.what;
        EXPECT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0) << test.what;
        CloseHandle(handle);
    }
}

// Processes that come and go by the hundred while snapshots are taken: every
// walk ends, and no entry is a process that had ended before it began.
TEST(ProcessScope, SnapshotsTolerateProcessesEndingWhileTheyAreTaken) {
    std::string script = "for i in $(seq 300); do /bin/true & done; wait";
    pid_t churn = 0;
    std::vector<std::string> argv = {"/bin/sh", "-c", script};
    std::vector<std::string> environment = MergedEnvironment({});
    ASSERT_EQ(posix_spawn(&churn, "/bin/sh", nullptr, nullptr, Pointers(argv).data(), Pointers(environment).data()), 0);
    for (int i = 0; i < 20; ++i) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        int count = 0;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            EXPECT_NE(entry.szExeFile[0], L'\0');
            ++count;
        }
        EXPECT_GE(count, 1);  // this process at least
        CloseHandle(snapshot);
    }
    waitpid(churn, nullptr, 0);
}

}  // namespace
