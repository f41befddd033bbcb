// Silent installs killed with SIGKILL at random moments, into fresh prefixes
// and over a complete install: whatever the moment, the hive and the
// configuration files read cleanly, and the next install completes the tree.
#include "integration/FaultFixture.h"
#include "integration/InstallerProcess.h"

#include <chrono>
#include <random>
#include <thread>

namespace {

// Everything the killed run may have left must read; empty when it does.
std::string KilledRunProblem(const std::string& prefix, const std::string& login) {
    InstallSnapshot left = TakeSnapshot(prefix, login);
    std::string problem = left.hiveProblem.empty() ? "" : "damaged hive: " + left.hiveProblem + "\n";
    std::string config = prefix + "/drive_c/users/" + login + "/AppData/Local/VelmoraUser/VelmoraUser.ini";
    std::string version = prefix + "/drive_c/Program Files (x86)/Velmora/VelmoraUserVersion.ini";
    for (const std::string& file : {config, version}) problem += ProfileFileProblem(file);
    return problem;
}

}  // namespace

class KilledInstallTest : public FaultInstallTest {
protected:
    // Kills `rounds` installs at random moments of a whole install's length,
    // each followed by a complete one; a fresh prefix for each round, or one
    // prefix installed over and over.
    void KillAndComplete(bool overInstall, int rounds, unsigned seed) {
        UsePrefix("timed");
        auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(RunInstaller({"slient"}, installer_).exitCode, 0);
        auto whole = std::chrono::steady_clock::now() - start;
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> moment(
            0, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(whole).count()));
        if (overInstall) UsePrefix("over");
        for (int round = 0; round < rounds; ++round) {
            if (!overInstall) UsePrefix("fresh-" + std::to_string(round));
            int delay = moment(random);
            std::string context = "round " + std::to_string(round) + ", killed after " + std::to_string(delay) + " ms";
            {
                InstallerProcess killed(installer_, prefix_, folder_ + "/killed.err");
                ASSERT_TRUE(killed.Started());
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                killed.Kill();
            }
            EXPECT_EQ(KilledRunProblem(prefix_, login_), "") << context;
            ProcessResult next = RunInstaller({"slient"}, installer_);
            EXPECT_EQ(next.exitCode, 0) << context << "\n" << next.errors;
            EXPECT_EQ(CompleteInstallProblem(), "") << context;
        }
    }
};

TEST_F(KilledInstallTest, FreshInstallsKilledAtRandomMomentsLeaveReadableFilesAndTheNextRunCompletes) {
    KillAndComplete(false, 15, 20161211);
}

TEST_F(KilledInstallTest, ReinstallsKilledAtRandomMomentsLeaveReadableFilesAndTheNextRunCompletes) {
    KillAndComplete(true, 15, 20161212);
}

