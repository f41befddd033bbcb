// Five silent installers let go at the same moment into one prefix: one
// installs, the others stop at the one-installer rule, and the hive loses
// nothing. Fresh, over an install, and with both cores kept busy.
#include "integration/FaultFixture.h"
#include "integration/InstallerProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

// Processes that keep both cores busy while they live.
class BusyLoops {
public:
    explicit BusyLoops(int count) {
        for (int i = 0; i < count; ++i) {
            pid_t pid = fork();
            if (pid == 0) {
                execl("/bin/sh", "sh", "-c", "while :; do :; done", nullptr);
                _exit(127);
            }
            pids_.push_back(pid);
        }
    }
    ~BusyLoops() {
        for (pid_t pid : pids_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

private:
    std::vector<pid_t> pids_;
};

}  // namespace

TEST_F(FaultInstallTest, FiveInstallersStartedTogetherInstallOnceAndLoseNoKey) {
    struct Case {
        const char* name;
        bool overInstall;
        int busy;
    } cases[] = {{"fresh", false, 0}, {"over-install", true, 0}, {"fresh-busy", false, 2}, {"over-busy", true, 2}};
    for (const Case& c : cases) {
        UsePrefix(c.name);
        if (c.overInstall) {
            ASSERT_EQ(RunInstaller({"slient"}, installer_).exitCode, 0) << c.name;
        }
        std::unique_ptr<BusyLoops> loops;
        if (c.busy) loops = std::make_unique<BusyLoops>(c.busy);
        std::string errors = folder_ + "/" + c.name + ".err";
        Gate gate(folder_ + "/" + c.name + ".gate");
        std::vector<std::unique_ptr<InstallerProcess>> installers;
        for (int i = 0; i < 5; ++i)
            installers.push_back(std::make_unique<InstallerProcess>(installer_, prefix_, errors, gate.Path()));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // all at the gate
        gate.Open();
        int installed = 0, refused = 0;
        for (auto& installer : installers) {
            int code = installer->Wait();
            installed += code == 0;
            refused += code == 4;
        }
        loops.reset();
        EXPECT_EQ(installed, 1) << c.name << "\n" << ReadWholeFile(errors);
        EXPECT_EQ(refused, 4) << c.name << "\n" << ReadWholeFile(errors);
        EXPECT_EQ(CompleteInstallProblem(), "") << c.name;
    }
}
