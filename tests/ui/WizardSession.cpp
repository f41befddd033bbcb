#include "WizardSession.h"

#include "SkinPositions.h"

#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

// A browser stand-in: records every address it is asked to open.
const char kXdgOpen[] = "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/opened-urls\"\n";

}  // namespace

void WizardTest::SetUp() {
    std::string missing = XvfbDisplay::MissingPrograms();
    if (!missing.empty()) GTEST_SKIP() << "not installed: " << missing;
    display_ = std::make_unique<XvfbDisplay>();
    ASSERT_TRUE(display_->Running()) << "Xvfb did not start";
    driver_ = std::make_unique<X11Driver>(display_->Environment().at("DISPLAY"));
    folder_ = MakeTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    prefix_ = folder_ + "/prefix";
    tools_ = folder_ + "/tools";
    workingFolder_ = folder_ + "/cwd";
    std::filesystem::create_directories(tools_);
    std::filesystem::create_directories(workingFolder_);
    WriteWholeFile(tools_ + "/xdg-open", kXdgOpen);
    chmod((tools_ + "/xdg-open").c_str(), 0755);
    const passwd* entry = getpwuid(geteuid());
    login_ = entry ? entry->pw_name : "user";
}

bool WizardTest::StartWizard(const std::string& installer, std::map<std::string, std::string> environment) {
    // The display's settings (GTK's, the sanitizers') unless the test sets its own.
    for (const auto& [name, value] : display_->Environment()) environment.emplace(name, value);
    environment.emplace("WINCOMPAT_PREFIX", prefix_);
    environment.emplace("PATH", tools_ + ":" + std::string(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin"));
    std::string program = installer;
    if (program.empty()) {
        program = folder_ + "/quiet/velmora-setup";
        if (!std::filesystem::exists(program)) program = QuietInstaller("quiet/velmora-setup");
    }
    if (!wizard_.Start({program}, environment, folder_, workingFolder_)) return false;
    std::vector<std::string> windows = driver_->WaitForWindows(wizard_.Pid(), 20000);
    if (windows.empty()) return false;
    window_ = windows.front();
    driver_->Focus(window_);
    // Mapped is not yet painted (slow under the sanitizers): wait for the
    // first frame, whose middle is never the X server's black.
    WindowGeometry size = Geometry();
    for (int waited = 0; waited < 20000; waited += 100) {
        if (PixelAt(size.width / 2, size.height / 2) != "#000000") return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::string WizardTest::WaitForWindowNamed(const std::string& title, int timeoutMilliseconds) {
    return driver_->WaitForWindowNamed(title, timeoutMilliseconds);
}

void WizardTest::TypeInstallPath(const std::string& text, PathEdit how) {
    if (Geometry().height == kCollapsedHeight) Click(kCustomButton.x, kCustomButton.y);
    Click(kPathEdit.x, kPathEdit.y);
    if (how == PathEdit::Replace) {
        Key("ctrl+a");
        Key("BackSpace");
    } else {
        Key("End");
    }
    if (!text.empty()) driver_->Type(text);
}

void WizardTest::AnswerBox(const std::string& box) {
    driver_->Focus(box);
    Key("Return");
    driver_->Focus(window_);
}

bool WizardTest::AnswerInvalidPathMessage() {
    std::string box = WaitForWindowNamed("安装路径无效");
    if (box.empty()) return false;
    AnswerBox(box);
    for (int waited = 0; waited < 5000; waited += 50) {
        std::vector<std::string> windows = driver_->VisibleWindows(wizard_.Pid());
        if (std::find(windows.begin(), windows.end(), box) == windows.end()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string WizardTest::Screenshot(const std::string& name) {
    std::string file = folder_ + "/" + name + ".png";
    driver_->Screenshot(window_, file);
    return file;
}

std::string WizardTest::PixelAt(int x, int y) { return X11Driver::PixelColour(Screenshot("probe"), x, y); }

bool WizardTest::WaitForPixel(int x, int y, const std::vector<std::string>& colours, int timeoutMilliseconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string colour = PixelAt(x, y);
        for (const std::string& wanted : colours)
            if (colour == wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::string WizardTest::OnDriveC(const std::string& pathAfterC) const { return prefix_ + "/drive_c/" + pathAfterC; }

std::string WizardTest::UserConfigFile() const {
    return OnDriveC("users/" + login_ + "/AppData/Local/VelmoraUser/VelmoraUser.ini");
}

std::string WizardTest::QuietInstaller(const std::string& name) {
    std::string bytes = ReadWholeFile(BuildFile("velmora-setup"));
    const std::string builtIn = "127.0.0.1:18080/";
    const std::string quiet = reportPort_.Url().substr(std::string("http://").size(), builtIn.size());
    size_t at = bytes.find(builtIn);
    EXPECT_NE(at, std::string::npos) << "the report address is not the built-in one";
    EXPECT_EQ(quiet.size(), builtIn.size()) << "a port of another length: " << quiet;
    if (at != std::string::npos && quiet.size() == builtIn.size()) bytes.replace(at, builtIn.size(), quiet);
    std::string copy = folder_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
    WriteWholeFile(copy, bytes);
    chmod(copy.c_str(), 0755);
    return copy;
}

std::string WizardTest::InstallerWithPayload(const std::map<std::string, std::string>& files) {
    std::string tree = folder_ + "/payload";
    for (const auto& [name, content] : files) {
        std::string path = tree + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteWholeFile(path, content);
        chmod(path.c_str(), 0755);
    }
    std::string archive = folder_ + "/payload.7z";
    RunProcess({"/bin/sh", "-c", "cd '" + tree + "' && 7z a -t7z -bd -bso0 -bsp0 '" + archive + "' . >/dev/null"});
    std::string copy = QuietInstaller();
    RunProcess({BuildFile("set-resource"), copy, "ZIPRES", "IDR_STEP7ZRES", archive});
    return copy;
}
