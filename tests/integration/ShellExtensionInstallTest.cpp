// The shell extensions through whole silent installs: the system's regsvr32
// runs (never one planted beside a copy of the installer), every run has ended
// in order when the install ends, also on a loaded machine, and a held library
// in an install folder whose path holds ".remove" survives the next restart.
#include "integration/InstallerFixture.h"

#include "support/BackgroundProcess.h"
#include "wincompat/FilesInUseHolder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Holds a file for a prefix other than the test's own, as another program would.
std::unique_ptr<FileHolder> HoldAsImage(const std::string& prefix, const std::string& windowsPath) {
    std::string own = getenv("WINCOMPAT_PREFIX");
    setenv("WINCOMPAT_PREFIX", prefix.c_str(), 1);
    auto holder = std::make_unique<FileHolder>(std::vector<std::string>{windowsPath, "--image"});
    setenv("WINCOMPAT_PREFIX", own.c_str(), 1);
    return holder;
}

class ShellExtensionInstallTest : public InstallerTest {
protected:
    std::string History() const { return ReadWholeFile(prefix_ + "/regsvr32.log"); }
    std::string Registry() const { return ReadWholeFile(prefix_ + "/system.reg"); }

    // The registry holds an in-process server record whose path is the library's.
    bool Registered(const std::string& doubledBackslashPath) const {
        return Registry().find("@=\"" + doubledBackslashPath + "\"") != std::string::npos;
    }

    void ExpectBothRegisteredLast(const std::string& context) {
        for (const char* name : {"Tellurin.dll", "Tellurin64.dll"}) {
            std::string library = std::string("C:\\\\Program Files (x86)\\\\Velmora\\\\") + name;
            EXPECT_TRUE(Registered(library)) << context << " " << name;
            std::string last;
            for (const std::string& line : Lines(History()))
                if (line.find("\\Velmora\\" + std::string(name) + "\"") != std::string::npos) last = line;
            EXPECT_EQ(last.rfind("register\t0\t", 0), 0u) << context << ": " << last;
        }
    }

};

TEST_F(ShellExtensionInstallTest, APlantedRegsvr32BesideTheInstallerNeverRuns) {
    std::string folder = folder_ + "/downloads";
    std::string installer = QuietInstaller(folder);
    std::string marker = folder_ + "/planted-ran";
    for (const char* name : {"regsvr32.exe", "regsvr32", "REGSVR32.EXE"}) {
        WriteWholeFile(folder + "/" + name, "#!/bin/sh\necho \"$@\" >> '" + marker + "'\nexit 0\n");
        chmod((folder + "/" + name).c_str(), 0755);
    }
    for (int run = 0; run < 2; ++run) {
        ProcessResult install = RunInstaller({"slient"}, installer);
        ASSERT_EQ(install.exitCode, 0) << install.output << install.errors;
        EXPECT_EQ(install.output.find("regsvr32"), std::string::npos) << install.output;  // no failed run
    }
    EXPECT_FALSE(PathExists(marker)) << ReadWholeFile(marker);
    // The system's regsvr32 did the work, named by its full path.
    std::string expected = "register\t0\t\"C:\\Windows\\SysWOW64\\regsvr32.exe\" /s "
                           "\"C:\\Program Files (x86)\\Velmora\\Tellurin.dll\" ";
    EXPECT_NE(History().find(expected), std::string::npos) << History();
    ExpectBothRegisteredLast("after two installs");
}

// Each reinstall unregisters the libraries of the one before and registers the
// new ones; when the installer ends, every regsvr32 run has ended, in order,
// however busy the machine is.
TEST_F(ShellExtensionInstallTest, ReinstallsLeaveBothLibrariesRegisteredOnALoadedMachine) {
    std::string installer = QuietInstaller(folder_ + "/setup");
    std::vector<std::unique_ptr<BackgroundProcess>> loops;
    for (int i = 0; i < 3; ++i) {
        std::string ready = folder_ + "/loop-" + std::to_string(i);
        loops.push_back(std::make_unique<BackgroundProcess>(
            std::vector<std::string>{"/bin/sh", "-c", "touch '" + ready + "'; while :; do :; done"}, ready));
        ASSERT_TRUE(loops.back()->Running());
    }
    for (int run = 1; run <= 4; ++run) {
        ProcessResult install = RunInstaller({"slient"}, installer);
        ASSERT_EQ(install.exitCode, 0) << install.output << install.errors;
        size_t lines = Lines(History()).size();
        ExpectBothRegisteredLast("install " + std::to_string(run));
        // Nothing of this install runs on after it: the history stays as it is.
        ProcessResult after = RunProcess({"/bin/sleep", "0.5"});
        EXPECT_EQ(Lines(History()).size(), lines) << History();
        // First install: unregister then register each; later ones also unregister before extraction.
        EXPECT_EQ(lines, run == 1 ? 4u : 4u + (run - 1) * 6u) << History();
    }
}

// Without 64-bit Windows there is no SysWOW64: regsvr32 is the system folder's.
TEST_F(ShellExtensionInstallTest, On32BitWindowsRegsvr32IsTheSystemFolders) {
    std::string installer = QuietInstaller(folder_ + "/setup");
    ProcessResult install = RunInstaller({"slient"}, installer, {{"WINCOMPAT_NATIVE_ARCH", "x86"}});
    ASSERT_EQ(install.exitCode, 0) << install.output << install.errors;
    EXPECT_NE(History().find("register\t0\t\"C:\\Windows\\system32\\regsvr32.exe\" /s \""), std::string::npos)
        << History();
    EXPECT_EQ(History().find("SysWOW64"), std::string::npos) << History();
}

TEST_F(ShellExtensionInstallTest, AHeldLibraryInAFolderNamedRemoveSurvivesTheRestart) {
    std::string installer = QuietInstaller(folder_ + "/setup");
    ASSERT_EQ(RunInstaller({"slient"}, installer).exitCode, 0);
    // An earlier install there: the user's file and the machine's product key both name the folder.
    std::string folder = "C:\\apps.remove\\Velmora";
    RunProcess({"/bin/mkdir", "-p", OnDriveC("apps.remove/Velmora")});
    std::string config = ReadWholeFile(UserConfigFile());
    size_t start = config.find("InstallPath=") + 12;
    config.replace(start, config.find("\r\n", start) - start, folder);
    WriteWholeFile(UserConfigFile(), config);
    ProcessResult key = RunProcess({BuildFile("wincompat-reg"), "add", "HKLM\\Software\\Velmora", "/v", "InstallPath",
                                    "/d", folder, "/f", "/reg:32"},
                                   {{"WINCOMPAT_PREFIX", prefix_}});
    ASSERT_EQ(key.exitCode, 0) << key.output << key.errors;
    ASSERT_EQ(RunInstaller({"slient"}, installer).exitCode, 0);
    std::string library = OnDriveC("apps.remove/Velmora/Tellurin.dll");
    std::string payload = ReadWholeFile(library);
    ASSERT_FALSE(payload.empty());

    auto holder = HoldAsImage(prefix_, "C:\\apps.remove\\Velmora\\Tellurin.dll");
    ASSERT_TRUE(holder->Holding()) << holder->Line();
    ProcessResult install = RunInstaller({"slient"}, installer);
    holder.reset();
    EXPECT_EQ(install.exitCode, 0) << install.output << install.errors;
    EXPECT_TRUE(PathExists(library + ".remove"));  // the old library, moved aside
    ProcessResult reboot = RunProcess({BuildFile("wincompat-reboot")}, {{"WINCOMPAT_PREFIX", prefix_}});
    EXPECT_EQ(reboot.exitCode, 0) << reboot.output << reboot.errors;
    std::string kept = ReadWholeFile(library);
    EXPECT_TRUE(kept == payload) << "the freshly installed library is gone or changed: " << kept.size() << " bytes";
    EXPECT_FALSE(PathExists(library + ".remove"));
    EXPECT_TRUE(Registered("C:\\\\apps.remove\\\\Velmora\\\\Tellurin.dll"));
}

}  // namespace
