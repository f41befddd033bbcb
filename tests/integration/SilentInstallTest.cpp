// A whole silent install in fresh prefixes: the installed tree, the temporary
// archive, held files, running product processes, shell extensions, and the
// exit code of installs that cannot succeed.
#include "integration/InstallerFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

std::string Payload() { return BuildFile("resources/payload.7z"); }

void Shell(const std::string& command) {
    ProcessResult run = RunProcess({"/bin/sh", "-c", command});
    ASSERT_EQ(run.exitCode, 0) << command << "\n" << run.output << run.errors;
}

// Lists every entry below folder with its kind and content, to compare two trees.
std::string TreeListing(const std::string& folder) {
    ProcessResult run = RunProcess(
        {"/bin/sh", "-c", "cd '" + folder + "' && find . -mindepth 1 | LC_ALL=C sort | while read -r p; do "
                          "if [ -d \"$p\" ]; then echo \"D $p\"; else echo \"F $p $(md5sum < \"$p\")\"; fi; done"});
    return run.output;
}

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// An installer copy carrying another payload archive.
std::string InstallerWithPayload(InstallerTest& test, const std::string& copy, const std::string& archive) {
    ProcessResult set = RunProcess({BuildFile("set-resource"), copy, "ZIPRES", "IDR_STEP7ZRES", archive});
    EXPECT_EQ(set.exitCode, 0) << set.errors;
    return copy;
}

// Waits until text appears in the file (a program started without waiting may still run).
bool WaitForText(const std::string& path, const std::string& text) {
    for (int i = 0; i < 100; ++i) {
        if (ReadWholeFile(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

TEST_F(InstallerTest, SilentInstallExtractsThePayloadAsSevenZipWould) {
    ProcessResult run = RunInstaller({"slient"});
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_NE(run.output.find("Archive total size["), std::string::npos);

    std::string reference = folder_ + "/reference";
    Shell("7z x -y -o'" + reference + "' '" + Payload() + "' >/dev/null");
    std::string installed = OnDriveC("Program Files (x86)/Velmora");
    std::string expected = TreeListing(reference);
    std::string actual = TreeListing(installed);
    // Besides the payload the install leaves the version file and the website shortcut.
    for (const char* added : {"F ./VelmoraUserVersion.ini", "F ./访问官方网站.url"}) {
        size_t line = actual.find(added);
        ASSERT_NE(line, std::string::npos) << added;
        actual.erase(line, actual.find('\n', line) - line + 1);
    }
    EXPECT_EQ(actual, expected);

    std::string temporary = OnDriveC("users/" + login_ + "/AppData/Local/Temp/step_Velmora.tmp");
    EXPECT_EQ(ReadWholeFile(temporary), ReadWholeFile(Payload()));
}

TEST_F(InstallerTest, ShellExtensionsAreUnregisteredThenRegistered) {
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    std::string log = prefix_ + "/regsvr32.log";
    ASSERT_TRUE(WaitForText(log, "Tellurin64.dll")) << ReadWholeFile(log);
    ASSERT_TRUE(WaitForText(log, "register\t0")) << ReadWholeFile(log);
    std::string history = ReadWholeFile(log);
    size_t unregister = history.find("unregister\t");
    size_t reg = history.find("\nregister\t");
    ASSERT_NE(unregister, std::string::npos) << history;
    ASSERT_NE(reg, std::string::npos) << history;
    EXPECT_LT(unregister, reg) << history;
    EXPECT_NE(history.find("/s \"C:\\Program Files (x86)\\Velmora\\Tellurin.dll\" "), std::string::npos) << history;
}

TEST_F(InstallerTest, PayloadsThatCannotInstallEndWithExitCode3) {
    std::string source = folder_ + "/source";
    Shell("mkdir -p '" + source + "/sub' && echo hello > '" + source + "/sub/a.txt' && head -c 200000 /dev/urandom > '" +
          source + "/b.bin'");
    std::string good = folder_ + "/good.7z";
    Shell("cd '" + source + "' && 7z a '" + good + "' . >/dev/null");
    Shell("head -c 100 '" + good + "' > '" + folder_ + "/truncated.7z'");
    Shell("head -c 5000 /dev/urandom > '" + folder_ + "/garbage.7z'");
    Shell(": > '" + folder_ + "/empty.7z'");
    Shell("cd '" + source + "' && 7z a -mhe=on -psecret '" + folder_ + "/headers.7z' . >/dev/null");
    Shell("cd '" + source + "' && 7z a -psecret '" + folder_ + "/contents.7z' . >/dev/null");
    const std::string archiveFile = "\\AppData\\Local\\Temp\\step_Velmora.tmp";
    const std::string unreadable =
        "install failed: reading the archive C:\\Users\\" + login_ + archiveFile + ": error 13";
    struct Case {
        std::string archive;
        std::string output;   // expected on standard output
        std::string failure;  // how the failure line on standard error starts
    } cases[] = {
        {"truncated.7z", "", unreadable},
        {"garbage.7z", "", unreadable},
        {"empty.7z", "", "install failed: reading the resource ZIPRES\\IDR_STEP7ZRES: error 1812"},
        {"headers.7z", "Password is not defined", unreadable},
        {"contents.7z", "Password is not defined", "install failed: extracting C:\\Program Files (x86)\\Velmora\\"},
    };
    for (const Case& c : cases) {
        std::string installer = InstallerWithPayload(*this, CopyInstaller("setup-" + c.archive + ".exe"),
                                                     folder_ + "/" + c.archive);
        ProcessResult run = RunInstaller({"slient"}, installer);
        EXPECT_EQ(run.exitCode, 3) << c.archive << "\n" << run.output << run.errors;
        EXPECT_EQ(run.signal, 0) << c.archive;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << c.archive << "\n" << run.output;
        EXPECT_EQ(FailureLine(run).rfind(c.failure, 0), 0u) << c.archive << "\n" << run.errors;
        // The configuration is written even after a failed install.
        EXPECT_NE(ReadWholeFile(UserConfigFile()).find("InstallPath="), std::string::npos) << c.archive;
    }
}

TEST_F(InstallerTest, ItemsLeavingTheInstallFolderAreNeverWritten) {
    std::string source = folder_ + "/escape/inner";
    Shell("mkdir -p '" + source + "' && echo evil > '" + folder_ + "/escape/evil.txt' && echo ok > '" + source +
          "/ok.txt'");
    // -spf keeps the "../" in the stored name.
    Shell("cd '" + source + "' && 7z a -spf '" + folder_ + "/escape.7z' ok.txt ../evil.txt >/dev/null");
    std::string installer = InstallerWithPayload(*this, CopyInstaller("escape.exe"), folder_ + "/escape.7z");
    ProcessResult run = RunInstaller({"slient"}, installer);
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_FALSE(Exists(OnDriveC("Program Files (x86)/evil.txt")));
    EXPECT_NE(run.output.find("Error:"), std::string::npos) << run.output;
    EXPECT_EQ(FailureLine(run), "install failed: extracting C:\\Program Files (x86)\\Velmora\\..\\evil.txt: error 161")
        << run.errors;
}

TEST_F(InstallerTest, DamagedItemIsDiagnosedAndTheInstallGoesOn) {
    std::string source = folder_ + "/crc";
    Shell("mkdir -p '" + source + "' && head -c 4096 /dev/zero | tr '\\0' 'x' > '" + source + "/data.txt'");
    std::string archive = folder_ + "/crc.7z";
    // Stored without compression, so flipping one byte of the data breaks only its checksum.
    Shell("cd '" + source + "' && 7z a -mx0 '" + archive + "' data.txt >/dev/null");
    Shell("printf 'y' | dd of='" + archive + "' bs=1 seek=100 conv=notrunc 2>/dev/null");
    ProcessResult run = RunInstaller({"slient"}, InstallerWithPayload(*this, CopyInstaller("crc.exe"), archive));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("CRC Failed"), std::string::npos) << run.output;
    EXPECT_EQ(ReadWholeFile(OnDriveC("Program Files (x86)/Velmora/data.txt")).size(), 4096u);
}

TEST_F(InstallerTest, FilesInTheWayAreReplacedOrStopTheInstall) {
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    std::string launcher = OnDriveC("Program Files (x86)/Velmora/Pellamor.exe");
    std::string expected = ReadWholeFile(launcher);
    WriteWholeFile(launcher, "old");
    chmod(launcher.c_str(), 0444);
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(launcher), expected);

    unlink(launcher.c_str());
    mkdir(launcher.c_str(), 0777);
    WriteWholeFile(launcher + "/keep.txt", "a folder where the launcher goes");
    ProcessResult run = RunInstaller({"slient"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.output.find("Can not delete output file"), std::string::npos) << run.output;
    EXPECT_EQ(FailureLine(run), "install failed: replacing C:\\Program Files (x86)\\Velmora\\Pellamor.exe: error 5")
        << run.errors;
    EXPECT_EQ(ReadWholeFile(launcher + "/keep.txt"), "a folder where the launcher goes");
}

TEST_F(InstallerTest, HeldTemporaryArchiveIsMovedAsideOrStopsTheInstall) {
    std::string temporary = OnDriveC("users/" + login_ + "/AppData/Local/Temp/step_Velmora.tmp");
    struct Case {
        std::vector<std::string> holdFlags;
        int exitCode;
        bool movedAside;
    } cases[] = {
        // Held as a loaded library is: rename allowed, delete refused.
        {{"--image"}, 0, true},
        // Opened without any sharing: neither delete nor rename, so the new archive cannot be written.
        {{}, 3, false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
        unlink((temporary + ".remove").c_str());
        RunProcess({BuildFile("wincompat-reboot")}, {{"WINCOMPAT_PREFIX", prefix_}});
        pid_t holder = fork();
        if (holder == 0) {
            setenv("WINCOMPAT_PREFIX", prefix_.c_str(), 1);
            int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            std::vector<std::string> arguments = {BuildFile("wincompat-hold"), temporary};
            arguments.insert(arguments.end(), c.holdFlags.begin(), c.holdFlags.end());
            std::vector<char*> argv;
            for (std::string& a : arguments) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ProcessResult run = RunInstaller({"slient"});
        kill(holder, SIGTERM);
        waitpid(holder, nullptr, 0);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output << run.errors;
        EXPECT_EQ(Exists(temporary + ".remove"), c.movedAside);

        ProcessResult query = RunProcess({BuildFile("wincompat-reg"), "query",
                                          "HKLM\\System\\CurrentControlSet\\Control\\Session Manager", "/v",
                                          "PendingFileRenameOperations"},
                                         {{"WINCOMPAT_PREFIX", prefix_}});
        // Either the moved copy or the file itself waits for deletion at the next restart.
        std::string scheduled = c.movedAside ? "step_Velmora.tmp.remove" : "step_Velmora.tmp";
        EXPECT_NE(query.output.find(scheduled), std::string::npos) << query.output << query.errors;
        if (c.movedAside) {
            EXPECT_EQ(ReadWholeFile(temporary), ReadWholeFile(Payload()));
            ASSERT_EQ(RunProcess({BuildFile("wincompat-reboot")}, {{"WINCOMPAT_PREFIX", prefix_}}).exitCode, 0);
            EXPECT_FALSE(Exists(temporary + ".remove"));
        }
    }
}

TEST_F(InstallerTest, RunningProductProcessesAreEnded) {
    std::string bin = folder_ + "/bin";
    mkdir(bin.c_str(), 0777);
    auto start = [&](const std::string& name) {
        std::string program = bin + "/" + name;
        WriteWholeFile(program, ReadWholeFile("/bin/sleep"));
        chmod(program.c_str(), 0755);
        pid_t pid = fork();
        if (pid == 0) {
            setenv("WINCOMPAT_PREFIX", prefix_.c_str(), 1);  // a process of the installer's machine
            execl(program.c_str(), name.c_str(), "60", nullptr);
            _exit(127);
        }
        return pid;
    };
    pid_t launcher = start("PELLAMOR.EXE");
    pid_t unrelated = start("Pellamor.exe.bak");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    int status = 0;
    EXPECT_EQ(waitpid(launcher, &status, WNOHANG), launcher);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(waitpid(unrelated, &status, WNOHANG), 0);  // still running
    kill(unrelated, SIGKILL);
    waitpid(unrelated, nullptr, 0);
}

TEST_F(InstallerTest, InstallFolderNearMaxPathFailsCleanly) {
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    // A recorded folder so deep that the payload's nested items cannot fit MAX_PATH.
    std::string deep = "C:\\" + std::string(120, 'a') + "\\" + std::string(110, 'b');
    std::string unixDeep = OnDriveC(std::string(120, 'a') + "/" + std::string(110, 'b'));
    Shell("mkdir -p '" + unixDeep + "'");
    RecordUserInstallPath(deep);
    RecordMachineInstallPath(deep + "\\");
    ProcessResult run = RunInstaller({"slient"});
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_NE(run.output.find("Can not open output file"), std::string::npos) << run.output;
    EXPECT_EQ(FailureLine(run).rfind("install failed: creating " + deep + "\\", 0), 0u) << run.errors;
    ProcessResult outside = RunProcess({"/bin/sh", "-c", "ls '" + OnDriveC(std::string(120, 'a')) + "'"});
    EXPECT_EQ(outside.output, std::string(110, 'b') + "\n");
}
