// The desktop for real: desktop-probe's GTK window on an Xvfb display of the
// test's own, driven with xdotool and looked at in screenshots.
#include <windows.h>

#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"
#include "support/XvfbDisplay.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <sstream>

namespace {

constexpr unsigned kRed = 0xFF0000;
constexpr unsigned kBlue = 0x0000FF;

// Each expected line appears in the output, in this order (others may come between).
void ExpectLinesInOrder(const std::string& output, const std::vector<std::string>& expected) {
    std::istringstream lines(output);
    std::string line;
    size_t next = 0;
    while (next < expected.size() && std::getline(lines, line))
        if (line == expected[next]) ++next;
    EXPECT_EQ(next, expected.size()) << "missing \"" << (next < expected.size() ? expected[next] : "")
                                     << "\" in order in:\n"
                                     << output;
}

int CountLinesStartingWith(const std::string& output, const std::string& start) {
    std::istringstream lines(output);
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.rfind(start, 0) == 0;
    return count;
}

// The number after "name " on its line; -1 without one.
long NumberAfter(const std::string& output, const std::string& name) {
    std::string lines = "\n" + output;
    size_t at = lines.find("\n" + name + " ");
    return at == std::string::npos ? -1 : std::stol(lines.substr(at + name.size() + 2));
}

// A NAME=value line of xdotool's --shell output.
long ShellValue(const std::string& output, const std::string& name) {
    size_t at = output.find("\n" + name + "=");
    return at == std::string::npos ? -1 : std::stol(output.substr(at + name.size() + 2));
}

class DesktopXvfbTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string missing = XvfbDisplay::MissingPrograms();
        if (!missing.empty()) GTEST_SKIP() << "desktop tests need " << missing << ", which is not installed";
        display_ = std::make_unique<XvfbDisplay>();
        ASSERT_TRUE(display_->Running()) << "Xvfb did not start";
    }

    void StartProbe(const std::vector<std::string>& arguments, int scale = 1) {
        std::vector<std::string> command = {BuildFile("desktop-probe")};
        command.insert(command.end(), arguments.begin(), arguments.end());
        probe_ = std::async(std::launch::async, [this, command, scale] {
            return RunProcess(command, display_->Environment(scale), 60);
        });
    }

    ProcessResult ProbeResult() { return probe_.get(); }

    // The X window of the named visible window, once it is shown.
    std::string WaitForWindow(const std::string& name) {
        std::string found = display_->Xdotool({"search", "--sync", "--onlyvisible", "--name", name});
        return found.substr(0, found.find('\n'));
    }

    // Waits until the screen shows colour at the point; the last screenshot.
    XvfbDisplay::Screenshot WaitForPixel(int x, int y, unsigned colour) {
        XvfbDisplay::Screenshot shot;
        for (int attempt = 0; attempt < 100; ++attempt) {
            shot = display_->TakeScreenshot();
            if (shot.Pixel(x, y) == colour) break;
            Sleep(50);
        }
        return shot;
    }

    void Press(const std::string& window, const std::vector<std::string>& keys) {
        std::vector<std::string> arguments = {"windowfocus", "--sync", window, "key", "--delay", "60"};
        arguments.insert(arguments.end(), keys.begin(), keys.end());
        display_->Xdotool(arguments);
    }

    std::unique_ptr<XvfbDisplay> display_;
    std::future<ProcessResult> probe_;
};

class DesktopPaintTest : public DesktopXvfbTest, public ::testing::WithParamInterface<int> {};

// The probe's window sits at device pixel (100,100), 200 wide, and grows
// from 150 to 250 high after its first paint; its red square is 100 device
// pixels wide at every scale. A worker thread's InvalidateRect repaints the
// part it names.
TEST_P(DesktopPaintTest, PaintsInDevicePixelsThroughTheCairoContext) {
    int scale = GetParam();
    StartProbe({"paint"}, scale);
    std::string window = WaitForWindow("DesktopProbe");
    XvfbDisplay::Screenshot shot = WaitForPixel(150, 320, kBlue);
    EXPECT_EQ(shot.Pixel(100, 100), kRed);
    EXPECT_EQ(shot.Pixel(199, 199), kRed);
    EXPECT_EQ(shot.Pixel(200, 199), kBlue);
    EXPECT_EQ(shot.Pixel(199, 200), kBlue);
    EXPECT_EQ(shot.Pixel(299, 349), kBlue) << "the grown window's last pixel";
    EXPECT_NE(shot.Pixel(300, 150), kBlue);
    EXPECT_NE(shot.Pixel(150, 350), kBlue);
    Press(window, {"Escape"});
    ProcessResult result = ProbeResult();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(NumberAfter(result.output, "dpi"), 96 * scale);
    ExpectLinesInOrder(result.output, {"screen 1280 800", "paint 0 0 200 150", "paint 0 0 200 250",
                                       "paint 0 0 50 50", "quit 0"});
}

INSTANTIATE_TEST_SUITE_P(Scales, DesktopPaintTest, ::testing::Values(1, 2));

TEST_F(DesktopXvfbTest, ClicksLeavingKeysTextCaptionDragAndAltF4ArriveAsWindowsMessages) {
    StartProbe({"input"});
    std::string window = WaitForWindow("DesktopProbe");
    display_->Xdotool({"mousemove", "130", "140", "click", "1"});
    display_->Xdotool({"mousemove", "600", "600"});
    display_->Xdotool({"windowfocus", "--sync", window, "type", "--delay", "60", "aB中"});
    Press(window, {"Return"});
    // The probe's top 30 pixels answer HTCAPTION: a drag there moves the window.
    display_->Xdotool({"mousemove", "150", "110", "mousedown", "1", "mousemove", "200", "160", "mousemove", "250",
                       "210", "mouseup", "1"});
    Press(window, {"alt+F4"});
    ProcessResult result = ProbeResult();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    ExpectLinesInOrder(result.output, {"WM_LBUTTONDOWN 30 40 1", "WM_LBUTTONUP 30 40", "WM_MOUSELEAVE",
                                       "WM_KEYDOWN 0x41", "shift 0", "WM_CHAR 0x61", "WM_KEYDOWN 0x42", "shift 1",
                                       "WM_CHAR 0x42", "WM_CHAR 0x4e2d",
                                       "WM_KEYDOWN 0xd", "WM_CHAR 0xd", "WM_MOVE 200 200", "WM_SYSKEYDOWN 0x73 1",
                                       "WM_SYSCOMMAND 0xf060", "quit 0"});
    EXPECT_EQ(CountLinesStartingWith(result.output, "WM_LBUTTONDOWN"), 1) << "a caption press is no client press";
}

TEST_F(DesktopXvfbTest, MessageBoxKeepsPostedMessagesRunningAndItsOwnerDisabled) {
    StartProbe({"messagebox"});
    std::string box = WaitForWindow("ProbeBox");
    Sleep(300);
    // Centred on its owner (100,100 to 400,300); a click on the owner is lost.
    std::string geometry = "\n" + display_->Xdotool({"getwindowgeometry", "--shell", box});
    EXPECT_NEAR(ShellValue(geometry, "X") + ShellValue(geometry, "WIDTH") / 2, 250, 1) << geometry;
    EXPECT_NEAR(ShellValue(geometry, "Y") + ShellValue(geometry, "HEIGHT") / 2, 200, 1) << geometry;
    display_->Xdotool({"mousemove", "105", "295", "click", "1"});
    Press(box, {"Return"});
    ProcessResult result = ProbeResult();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    ExpectLinesInOrder(result.output, {"box open", "answer 1", "input during box 0", "enabled after 1", "quit 0"});
    EXPECT_GT(NumberAfter(result.output, "ticks during box"), 0);
}

TEST_F(DesktopXvfbTest, QuitDuringAMessageBoxEndsItAsCancelAndReachesTheOuterLoop) {
    StartProbe({"quitbox"});
    ProcessResult result = ProbeResult();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    ExpectLinesInOrder(result.output, {"box open", "answer 2", "quit 5"});
    EXPECT_GT(NumberAfter(result.output, "ticks during box"), 0);
}

struct FolderCase {
    const char* name;
    const char* startFolder;  // what the probe's callback selects; "" for none
    const char* typedFolder;  // typed after Ctrl+L as a unix path under drive_c; "" for none
    const char* keys;
    const char* chosen;
};

void PrintTo(const FolderCase& folderCase, std::ostream* out) { *out << folderCase.name; }

class DesktopFolderTest : public DesktopXvfbTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(DesktopFolderTest, FolderPickerAnswersTheChosenFolderAsADosPath) {
    const FolderCase& folderCase = GetParam();
    for (LPCWSTR folder : {L"C:\\安装目录", L"C:\\InstallHere"})
        ASSERT_TRUE(CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::vector<std::string> arguments = {"folder"};
    if (*folderCase.startFolder) arguments.push_back(folderCase.startFolder);
    StartProbe(arguments);
    std::string picker = WaitForWindow("ProbeFolder");
    if (*folderCase.typedFolder) {
        Press(picker, {"ctrl+l"});
        display_->Xdotool({"type", "--delay", "60", TestPrefixRoot() + "/drive_c/" + folderCase.typedFolder});
    }
    Sleep(200);
    Press(picker, {folderCase.keys});
    ProcessResult result = ProbeResult();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    ExpectLinesInOrder(result.output, {"picker initialized", std::string("chosen ") + folderCase.chosen, "quit 0"});
}

INSTANTIATE_TEST_SUITE_P(Choices, DesktopFolderTest,
                         ::testing::Values(FolderCase{"Escape", "", "", "Escape", "none"},
                                           FolderCase{"TypedPath", "", "InstallHere", "Return", "C:\\InstallHere"},
                                           FolderCase{"CallbackSelection", "C:\\安装目录", "", "Return",
                                                      "C:\\安装目录"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
