// Installs onto a full disk: a small tmpfs in a private mount namespace under
// the whole prefix, under the install folder only, or under the hives only.
// Each ends with exit code 3 and one line naming what could not be written,
// and the hives keep what they held.
#include "integration/InstallerFixture.h"

#include <unistd.h>

#include <string>

namespace {

// Whether this process may make a private mount namespace and mount in it.
bool CanMountPrivately() {
    return geteuid() == 0 && RunProcess({"/usr/bin/unshare", "-m", "-n", "true"}).exitCode == 0;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

struct FullDiskCase {
    const char* name;
    std::string mounts;   // shell commands mounting the small disk; $P is the prefix
    std::string full;     // the folder on the small disk that is filled before the install
    std::string failure;  // how the failure line starts
};

}  // namespace

TEST_F(InstallerTest, FullDiskFailsTheInstallWithItsLineAndKeepsTheHives) {
    if (!CanMountPrivately()) GTEST_SKIP() << "needs root and unshare -m to mount a small tmpfs privately";
    const std::string temp = "C:\\Users\\" + login_ + "\\AppData\\Local\\Temp\\";
    const FullDiskCase cases[] = {
        {"the whole prefix", "mount -t tmpfs -o size=2m tmpfs \"$P\"", "$P",
         "install failed: writing " + temp + "step_Velmora.tmp: error 112"},
        {"the install folder",
         "mkdir -p \"$P/drive_c/Program Files (x86)/Velmora\" && "
                               "mount -t tmpfs -o size=2m tmpfs \"$P/drive_c/Program Files (x86)/Velmora\"",
         "$P/drive_c/Program Files (x86)/Velmora",
         "install failed: extracting C:\\Program Files (x86)\\Velmora\\"},
        // The hives' folder is full; the drive beside it has room.
        {"the hives", "mount -t tmpfs -o size=1m tmpfs \"$P\" && mkdir -p \"$P/drive_c\" && "
                      "mount -t tmpfs -o size=200m tmpfs \"$P/drive_c\"",
         "$P",
         "install failed: creating HKLM\\SoftWare\\Velmora: error 112"},
    };
    const std::string reg = BuildFile("wincompat-reg");
    for (const FullDiskCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string prefix = folder_ + "/" + std::to_string(&c - cases);
        // The earlier key is written once the small disk is in place, the disk filled after.
        const std::string filler = "\"" + c.full + "/.filler\"";
        const std::string script = "set -e; P=" + Quoted(prefix) + "; mkdir -p \"$P\"; " + c.mounts +
                                   "; export WINCOMPAT_PREFIX=\"$P\"; " + Quoted(reg) +
                                   " add 'HKLM\\Software\\Before' /v Kept /d yes /f >/dev/null; "
                                   "head -c 300m /dev/zero > " + filler + " 2>/dev/null || true; set +e; " +
                                   Quoted(BuildFile("velmora-setup")) + " slient >/dev/null; echo \"exit=$?\" >&2; "
                                   "rm -f " + filler + "; " + Quoted(reg) +
                                   " query 'HKLM\\Software\\Before' >&2; ls -a \"$P\" >&2";
        ProcessResult run = RunProcess({"/usr/bin/unshare", "-m", "-n", "/bin/sh", "-c", script});
        EXPECT_NE(run.errors.find("exit=3"), std::string::npos) << run.errors;
        std::string line = FailureLine(run);
        EXPECT_EQ(line.rfind(c.failure, 0), 0u) << line << "\n" << run.errors;
        EXPECT_NE(line.find(": error 112"), std::string::npos) << line;
        EXPECT_NE(run.errors.find("Kept    REG_SZ    yes"), std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find("system.reg."), std::string::npos) << "a temporary hive stayed:\n" << run.errors;
    }
}
