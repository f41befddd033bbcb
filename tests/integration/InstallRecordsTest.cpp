// What a complete silent install leaves beyond the files: registry records,
// shortcuts, folder rights, and the report the statistics server received.
#include "integration/InstallerFixture.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

// build/stats-server on the address the default build posts to, until destroyed.
class ReportServer {
public:
    explicit ReportServer(const std::string& database) : database_(database) {
        pid_ = fork();
        if (pid_ == 0) {
            execl(BuildFile("stats-server").c_str(), "stats-server", "--port", "18080", "--db", database.c_str(),
                  nullptr);
            _exit(127);
        }
        // Ready once the port answers: a print of the empty database works from the start.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ~ReportServer() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool Running() const { return waitpid(pid_, nullptr, WNOHANG) == 0; }
    std::string Rows() const { return RunProcess({BuildFile("stats-server"), "--db", database_, "--print"}).output; }

private:
    std::string database_;
    pid_t pid_;
};

std::string Query(const std::string& prefix, const std::string& key) {
    return RunProcess({BuildFile("wincompat-reg"), "query", key, "/reg:32"}, {{"WINCOMPAT_PREFIX", prefix}}).output;
}

mode_t ModeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? (info.st_mode & 0777) : 0;
}

}  // namespace

TEST_F(InstallerTest, RecordsShortcutsRightsAndReport) {
    ReportServer server(folder_ + "/reports.db");
    ASSERT_TRUE(server.Running()) << "port 18080 is taken; stop the demo's stats-server";
    ProcessResult run = RunInstaller({"slient"});
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;

    std::string product = Query(prefix_, "HKLM\\SoftWare\\Velmora");
    EXPECT_NE(product.find("InstallPath    REG_SZ    C:\\Program Files (x86)\\Velmora\\"), std::string::npos) << product;
    std::string uninstall = Query(prefix_, "HKLM\\software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanti文件数据恢复");
    for (const char* line : {"DisplayName    REG_SZ    Orvanti文件数据恢复 1.0.1.2016",
                             "UninstallString    REG_SZ    C:\\Program Files (x86)\\Velmora\\Dravenko.exe",
                             "DisplayIcon    REG_SZ    C:\\Program Files (x86)\\Velmora\\Pellamor.exe",
                             "DisplayVersion    REG_SZ    1.0.1.2016", "Publisher    REG_SZ    ORVANTI",
                             "URLInfoAbout    REG_SZ    http://www.orvanti.example/luping"})
        EXPECT_NE(uninstall.find(line), std::string::npos) << line << "\n" << uninstall;
    std::string appInfo = Query(prefix_, "HKLM\\SOFTWARE\\Velmora\\AppInfo");
    EXPECT_NE(appInfo.find("AppVersion    REG_SZ    1.0.1.2016"), std::string::npos) << appInfo;
    // The 64-bit view stays untouched: the installer is a 32-bit program.
    EXPECT_EQ(RunProcess({BuildFile("wincompat-reg"), "query", "HKLM\\SoftWare\\Velmora", "/reg:64"},
                         {{"WINCOMPAT_PREFIX", prefix_}}).exitCode, 1);

    std::string startMenu = OnDriveC("ProgramData/Microsoft/Windows/Start Menu/Programs/Orvanti文件数据恢复/");
    for (const std::string& file : {startMenu + "Orvanti文件数据恢复.lnk", startMenu + "卸载.lnk",
                                    startMenu + "访问官方网站.url", OnDriveC("users/Public/Desktop/Orvanti文件数据恢复.lnk"),
                                    OnDriveC("Program Files (x86)/Velmora/访问官方网站.url")})
        EXPECT_EQ(access(file.c_str(), F_OK), 0) << file;
    if (access("/usr/bin/lnkinfo", X_OK) == 0) {
        ProcessResult link = RunProcess({"/usr/bin/lnkinfo", OnDriveC("users/Public/Desktop/Orvanti文件数据恢复.lnk")});
        EXPECT_NE(link.output.find("C:\\Program Files (x86)\\Velmora\\Pellamor.exe"), std::string::npos) << link.output;
    }

    // Everyone's full control shows in the mode bits of the tree.
    EXPECT_EQ(ModeOf(OnDriveC("Program Files (x86)/Velmora")), 0777u);
    EXPECT_EQ(ModeOf(OnDriveC("Program Files (x86)/Velmora/Help")), 0777u);
    EXPECT_EQ(ModeOf(OnDriveC("Program Files (x86)/Velmora/License.txt")), 0666u);

    std::string rows = server.Rows();
    EXPECT_NE(rows.find("accepted"), std::string::npos) << rows;
    EXPECT_NE(rows.find("1.0.1.2016|xvrnkolpaz|window-10_64_64|0|0|0|0|0|0|0|0|0|0|0"), std::string::npos) << rows;
}

TEST_F(InstallerTest, ReportCarriesTheChannelOfTheInstaller) {
    ReportServer server(folder_ + "/reports.db");
    ASSERT_TRUE(server.Running()) << "port 18080 is taken; stop the demo's stats-server";
    struct Case {
        std::string fileName, stamp, channel;
    } cases[] = {
        {"stamped.exe", "abc123", "abc123"},
        {"setup_77.exe", "c121764ed09c", "setup_77qz"},
    };
    for (const Case& c : cases) {
        std::string copy = CopyInstaller(c.fileName);
        ASSERT_EQ(RunProcess({BuildFile("stamp-channel"), copy, c.stamp}).exitCode, 0);
        ASSERT_EQ(RunInstaller({"slient"}, copy).exitCode, 0);
    }
    std::string rows = server.Rows();
    for (const Case& c : cases)
        EXPECT_NE(rows.find("1.0.1.2016|" + c.channel + "|window-10_64_64|"), std::string::npos) << rows;
}

TEST_F(InstallerTest, UnreachableStatisticsServerDoesNotStopTheInstall) {
    // Nothing listens on the report address here.
    auto started = std::chrono::steady_clock::now();
    ProcessResult run = RunInstaller({"slient"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}
