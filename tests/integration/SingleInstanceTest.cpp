// One installer at a time per prefix (the instance mutex), and an install
// that ends only the product processes of its own prefix.
#include "integration/InstallerFixture.h"

#include "support/TestPrefix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kInstanceMutex[] = "Global\\VelmoraSetup";

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The test's environment without WINCOMPAT_PREFIX, and with it when a prefix is given.
std::vector<std::string> EnvironmentForPrefix(const std::string& prefix) {
    std::vector<std::string> environment = MergedEnvironment({});
    std::erase_if(environment, [](const std::string& e) { return e.rfind("WINCOMPAT_PREFIX=", 0) == 0; });
    if (!prefix.empty()) environment.push_back("WINCOMPAT_PREFIX=" + prefix);
    return environment;
}

pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> environment, int stdoutFd = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(environment).data()))
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// A process ended with SIGKILL when the object goes, unless it ended before.
class Started {
public:
    explicit Started(pid_t pid) : pid_(pid) {}
    ~Started() {
        if (pid_ <= 0 || ended_) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    bool Valid() const { return pid_ > 0; }
    void Kill() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        ended_ = true;
    }
    // Still running after a moment's grace for a signal on its way.
    bool Runs() {
        for (int i = 0; i < 20 && !ended_; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) ended_ = true;
            else std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return !ended_;
    }

private:
    pid_t pid_;
    bool ended_ = false;
};

// wincompat-hold owning the named mutex in a prefix, once it says so.
std::unique_ptr<Started> HoldMutex(const std::string& prefix, const std::string& name) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return nullptr;
    auto holder = std::make_unique<Started>(
        Spawn({BuildFile("wincompat-hold"), "--mutex", name}, EnvironmentForPrefix(prefix), out[1]));
    close(out[1]);
    std::string said;
    pollfd ready{out[0], POLLIN, 0};
    char chunk[256];
    while (said.find('\n') == std::string::npos && poll(&ready, 1, 10000) > 0) {
        ssize_t got = read(out[0], chunk, sizeof(chunk));
        if (got <= 0) break;
        said.append(chunk, static_cast<size_t>(got));
    }
    close(out[0]);
    EXPECT_EQ(said, "holding " + name + "\n");
    return holder;
}

// A program file named like a product executable (a copy of sleep), started
// in the given prefix's name, or in none.
std::unique_ptr<Started> StartProductNamed(const std::string& path, const std::string& prefix) {
    RunProcess({"/bin/mkdir", "-p", path.substr(0, path.rfind('/'))});
    WriteWholeFile(path, ReadWholeFile("/bin/sleep"));
    chmod(path.c_str(), 0755);
    auto process = std::make_unique<Started>(Spawn({path, "60"}, EnvironmentForPrefix(prefix)));
    EXPECT_TRUE(process->Valid()) << path;
    return process;
}

// Processes that keep both cores busy while a test runs.
class BusyLoops {
public:
    explicit BusyLoops(int count) {
        for (int i = 0; i < count; ++i)
            loops_.push_back(std::make_unique<Started>(
                Spawn({"/bin/sh", "-c", "while :; do :; done"}, MergedEnvironment({}))));
    }

private:
    std::vector<std::unique_ptr<Started>> loops_;
};

class SingleInstanceTest : public InstallerTest {
protected:
    std::string QuietInstaller() { return InstallerTest::QuietInstaller(folder_ + "/quiet"); }

    std::string InstallFolder() const { return OnDriveC("Program Files (x86)/Velmora"); }
    std::string TemporaryArchive() const {
        return OnDriveC("users/" + login_ + "/AppData/Local/Temp/step_Velmora.tmp");
    }

};

TEST_F(SingleInstanceTest, HeldInstanceMutexStopsBothModesBeforeAnythingIsWritten) {
    std::string installer = QuietInstaller();
    std::unique_ptr<Started> holder = HoldMutex(prefix_, kInstanceMutex);
    ASSERT_TRUE(holder && holder->Valid());

    ProcessResult silent = RunInstaller({"slient"}, installer);
    EXPECT_EQ(silent.exitCode, 4) << silent.output << silent.errors;
    EXPECT_EQ(std::count(silent.errors.begin(), silent.errors.end(), '\n'), 1) << silent.errors;
    EXPECT_EQ(silent.errors.back(), '\n');
    EXPECT_EQ(silent.output, "");

    ProcessResult wizard = RunInstaller({}, installer, {{"WINCOMPAT_HEADLESS", "1"}});
    EXPECT_EQ(wizard.exitCode, 4) << wizard.errors;
    EXPECT_NE(wizard.errors.find("安装程序已在运行。"), std::string::npos) << wizard.errors;

    for (const std::string& path : {InstallFolder(), TemporaryArchive(), UserConfigFile(),
                                    OnDriveC("users/" + login_ + "/AppData/Local/VelmoraUser")})
        EXPECT_FALSE(Exists(path)) << path;

    // Killed outright, the holder leaves the name free: the next install runs.
    holder->Kill();
    ProcessResult after = RunInstaller({"slient"}, installer);
    EXPECT_EQ(after.exitCode, 0) << after.output << after.errors;
    EXPECT_TRUE(Exists(TemporaryArchive()));
}

// Started together into one prefix, one installer runs and the other stops at
// once; neither fails on the other's temporary archive. Also with both cores
// kept busy, which stretches every window between the two.
TEST_F(SingleInstanceTest, TwoInstallersStartedTogetherNeverFailOnEachOther) {
    std::string installer = QuietInstaller();
    for (int busy : {0, 2}) {
        BusyLoops loops(busy);
        for (int round = 0; round < 3; ++round) {
            ProcessResult results[2];
            std::thread second([&] { results[1] = RunInstaller({"slient"}, installer); });
            results[0] = RunInstaller({"slient"}, installer);
            second.join();
            int succeeded = 0;
            for (const ProcessResult& result : results) {
                EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 4)
                    << "busy " << busy << " round " << round << ": exit " << result.exitCode << "\n"
                    << result.output << result.errors;
                succeeded += result.exitCode == 0;
            }
            EXPECT_GE(succeeded, 1) << "busy " << busy << " round " << round;
        }
    }
}

TEST_F(SingleInstanceTest, OnlyProductProcessesOfThisPrefixAreEnded) {
    std::string installer = QuietInstaller();
    std::string other = folder_ + "/other-prefix";
    // Started from this prefix's install folder, without naming any prefix.
    auto fromInstallFolder = StartProductNamed(InstallFolder() + "/Sorvanda.exe", "");
    // Started elsewhere by a program of this prefix, which passes the prefix on.
    auto namingThisPrefix = StartProductNamed(folder_ + "/bin/Myrtelo.exe", prefix_);
    // The same names in another prefix's install folder, in the test's own
    // prefix, and on the host outside any prefix.
    auto otherInstall = StartProductNamed(other + "/drive_c/Program Files (x86)/Velmora/Sorvanda.exe", other);
    auto testPrefix = StartProductNamed(folder_ + "/test-prefix/Myrtelo.exe", TestPrefixRoot());
    auto hostSorvanda = StartProductNamed(folder_ + "/host/Sorvanda.exe", "");
    auto hostMyrtelo = StartProductNamed(folder_ + "/host/Myrtelo.exe", "");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    ProcessResult run = RunInstaller({"slient"}, installer);
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_FALSE(fromInstallFolder->Runs());
    EXPECT_FALSE(namingThisPrefix->Runs());
    EXPECT_TRUE(otherInstall->Runs());
    EXPECT_TRUE(testPrefix->Runs());
    EXPECT_TRUE(hostSorvanda->Runs());
    EXPECT_TRUE(hostMyrtelo->Runs());
}

}  // namespace
