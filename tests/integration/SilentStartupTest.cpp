// The start-up of a silent run: options, folders, channel identity and the
// configuration files, seen from outside in fresh prefixes.
#include "integration/InstallerFixture.h"

#include "report/TextCipher.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

namespace {

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string TodayLocal() {
    time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    char text[16];
    strftime(text, sizeof(text), "%Y%m%d", &local);
    return text;
}

}  // namespace

TEST_F(InstallerTest, SilentRunLeavesFoldersAndConfiguration) {
    ProcessResult run = RunInstaller({"slient"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(IsFolder(OnDriveC("Program Files (x86)/Velmora")));
    EXPECT_TRUE(IsFolder(OnDriveC("users/" + login_ + "/AppData/Local/VelmoraUser")));

    std::string config = ReadWholeFile(UserConfigFile());
    EXPECT_EQ(config.rfind("[Globals]\r\nInstallPath=C:\\Program Files (x86)\\Velmora\r\nInstallTime=", 0), 0u)
        << config;
    EXPECT_EQ(IniValue(config, "Globals", "InstallTime"), TodayLocal());
    EXPECT_EQ(DecryptIdentity(IniValue(config, "Globals", "Spreader")), "xvrnkolpaz");
    long stamp = std::stol(IniValue(config, "Globals", "InstallTimeStamp"));
    EXPECT_LE(labs(stamp - static_cast<long>(static_cast<int32_t>(time(nullptr)))), 60);

    std::string version = ReadWholeFile(OnDriveC("Program Files (x86)/Velmora/VelmoraUserVersion.ini"));
    EXPECT_EQ(version, "[Version]\r\nver=1.0.1.2016\r\n");
}

TEST_F(InstallerTest, SwitchIsTheWholeWordInAnyCase) {
    struct Case {
        std::vector<std::string> arguments;
        bool silent;
    } cases[] = {
        {{"slient"}, true},   {{"SLIENT"}, true},  {{"SlIeNt"}, true},    {{"x", "y", "slient"}, true},
        {{"/slient"}, false}, {{"-slient"}, false}, {{"silent"}, false}, {{"slient=1"}, false}, {{}, false},
    };
    // Without a display the wizard cannot be shown and says so; a silent run needs none.
    for (const Case& c : cases) {
        ProcessResult run = RunInstaller(c.arguments, BuildFile("velmora-setup"), {{"DISPLAY", ""}});
        EXPECT_EQ(run.exitCode, c.silent ? 0 : 1) << (c.arguments.empty() ? "" : c.arguments[0]) << run.errors;
        if (!c.silent) {
            EXPECT_NE(run.errors.find("安装向导: 无法显示安装向导窗口。"), std::string::npos) << run.errors;
        }
    }
}

TEST_F(InstallerTest, SecondRunAdoptsTheRecordedFolderOnlyWhileItExists) {
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    mkdir(OnDriveC("Custom").c_str(), 0777);
    RecordUserInstallPath("C:\\Custom");
    // The machine's key names the folder as the install wrote it: another
    // case, a trailing backslash.
    RecordMachineInstallPath("c:\\CUSTOM\\");

    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    EXPECT_EQ(IniValue(ReadWholeFile(UserConfigFile()), "Globals", "InstallPath"), "C:\\Custom");
    EXPECT_EQ(IniValue(ReadWholeFile(OnDriveC("Custom/VelmoraUserVersion.ini")), "Version", "ver"), "1.0.1.2016");

    // The install filled the adopted folder; remove it whole.
    ASSERT_EQ(RunProcess({"/bin/rm", "-rf", OnDriveC("Custom")}).exitCode, 0);
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    EXPECT_EQ(IniValue(ReadWholeFile(UserConfigFile()), "Globals", "InstallPath"),
              "C:\\Program Files (x86)\\Velmora");
}

TEST_F(InstallerTest, VersionFileKeepsAnEarlierValue) {
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    std::string versionFile = OnDriveC("Program Files (x86)/Velmora/VelmoraUserVersion.ini");
    WriteWholeFile(versionFile, "[Version]\r\nver=0.9\r\n");
    ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(versionFile), "[Version]\r\nver=0.9\r\n");
}

TEST_F(InstallerTest, IdentityComesFromTheStampOrTheFileName) {
    struct Case {
        std::string fileName;
        std::string stamp;  // empty: unstamped
        std::string identity;
    } cases[] = {
        {"velmora-setup", "", "xvrnkolpaz"},
        {"stamped.exe", "abc123", "abc123"},
        {"twelve.exe", "ABCDEFGHIJKL", "ABCDEFGHIJK"},
        {"setup_77.exe", "c121764ed09c", "setup_77qz"},
        {"my_long_installer.exe", "c121764ed09c", "my_long_ins"},
        {"a.b.exe", "c121764ed09c", "a.bqz"},
    };
    for (const Case& c : cases) {
        std::string copy = CopyInstaller(c.fileName);
        if (!c.stamp.empty()) {
            ProcessResult stamped = RunProcess({BuildFile("stamp-channel"), copy, c.stamp});
            ASSERT_EQ(stamped.exitCode, 0) << stamped.errors;
        }
        ProcessResult run = RunInstaller({"slient"}, copy);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(DecryptIdentity(IniValue(ReadWholeFile(UserConfigFile()), "Globals", "Spreader")), c.identity)
            << c.fileName;
    }
}

TEST_F(InstallerTest, DamagedConfigurationGivesDefaults) {
    const char kBinary[] = "\x00\xff\xfe[Globals\x00InstallPath=\x01\x02\r\n\xc3";
    std::string binary(kBinary, sizeof(kBinary) - 1);
    std::string huge = "[Globals]\r\nInstallPath=" + std::string(1 << 20, 'A') + "\r\n";
    std::string longPath = "[Globals]\r\nInstallPath=C:\\" + std::string(400, 'p') + "\r\n";
    for (const std::string& content : {binary, huge, longPath, std::string("[Globals]\r\nInstallPa")}) {
        ASSERT_EQ(RunInstaller({"slient"}).exitCode, 0);  // makes the folders
        WriteWholeFile(UserConfigFile(), content);
        ProcessResult run = RunInstaller({"slient"});
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(IniValue(ReadWholeFile(UserConfigFile()), "Globals", "InstallPath"),
                  "C:\\Program Files (x86)\\Velmora");
    }
}

TEST_F(InstallerTest, UnwritablePrefixIsReportedNotCrashed) {
    std::string blocked = folder_ + "/blocked";
    WriteWholeFile(blocked, "a file where the prefix folder should be");
    ProcessResult run = RunInstaller({"slient"}, BuildFile("velmora-setup"), {{"WINCOMPAT_PREFIX", blocked + "/p"}});
    EXPECT_EQ(run.signal, 0);
    EXPECT_NE(run.errors.find("cannot create the prefix"), std::string::npos) << run.errors;
}
