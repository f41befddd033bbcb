#include "integration/InstallerFixture.h"

#include "support/TestPrefix.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

void InstallerTest::SetUp() {
    folder_ = MakeTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    prefix_ = folder_ + "/prefix";
    const passwd* entry = getpwuid(geteuid());
    login_ = entry ? entry->pw_name : "user";
}

ProcessResult InstallerTest::RunInstaller(const std::vector<std::string>& arguments, const std::string& installer,
                                          std::map<std::string, std::string> environment) {
    std::vector<std::string> argv = {installer};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    environment.emplace("WINCOMPAT_PREFIX", prefix_);
    return RunProcess(argv, environment);
}

std::string InstallerTest::OnDriveC(const std::string& windowsPathAfterC) const {
    std::string path = prefix_ + "/drive_c/" + windowsPathAfterC;
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string InstallerTest::UserConfigFile() const {
    return OnDriveC("users/" + login_ + "/AppData/Local/VelmoraUser/VelmoraUser.ini");
}

void InstallerTest::RecordUserInstallPath(const std::string& windowsPath) {
    std::string config = ReadWholeFile(UserConfigFile());
    size_t start = config.find("InstallPath=");
    ASSERT_NE(start, std::string::npos) << config;
    start += 12;
    config.replace(start, config.find("\r\n", start) - start, windowsPath);
    WriteWholeFile(UserConfigFile(), config);
}

void InstallerTest::RecordMachineInstallPath(const std::string& windowsPath) {
    ProcessResult key = RunProcess({BuildFile("wincompat-reg"), "add", "HKLM\\Software\\Velmora", "/v", "InstallPath",
                                    "/d", windowsPath, "/f", "/reg:32"},
                                   {{"WINCOMPAT_PREFIX", prefix_}});
    ASSERT_EQ(key.exitCode, 0) << key.output << key.errors;
}

std::string InstallerTest::CopyInstaller(const std::string& fileName) const {
    std::string copy = folder_ + "/" + fileName;
    WriteWholeFile(copy, ReadWholeFile(BuildFile("velmora-setup")));
    chmod(copy.c_str(), 0755);
    return copy;
}

std::string InstallerTest::QuietInstaller(const std::string& folder) {
    return InstallerReportingTo(folder, silentPort_.Url().substr(std::string("http://127.0.0.1:").size(), 5));
}

std::string InstallerTest::InstallerReportingTo(const std::string& folder, const std::string& port) {
    mkdir(folder.c_str(), 0777);
    std::string copy = folder + "/setup.exe";
    std::string bytes = ReadWholeFile(BuildFile("velmora-setup"));
    size_t at = bytes.find("127.0.0.1:18080/");
    EXPECT_NE(at, std::string::npos);
    bool fiveDigits = port.size() == 5 && port.find_first_not_of("0123456789") == std::string::npos;
    EXPECT_TRUE(fiveDigits) << port;
    if (at != std::string::npos && fiveDigits) bytes.replace(at + 10, 5, port);
    WriteWholeFile(copy, bytes);
    chmod(copy.c_str(), 0755);
    return copy;
}

std::string FailureLine(const ProcessResult& run) {
    std::istringstream lines(run.errors);
    std::string line, found;
    while (std::getline(lines, line)) {
        if (line.rfind("install failed: ", 0) != 0) continue;
        EXPECT_TRUE(found.empty()) << "a second failure line: " << line;
        found = line;
    }
    return found;
}

std::string IniValue(const std::string& text, const std::string& section, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        if (inSection && line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}
