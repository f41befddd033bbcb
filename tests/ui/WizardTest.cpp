// The wizard on a real (virtual) desktop, driven with the mouse and the
// keyboard as a user would, and checked by what it shows and leaves behind.
#include "SkinPositions.h"
#include "WizardSession.h"

#include "support/ProcessRunner.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

namespace {

const std::vector<std::string> kButtonBlue = {kAccent, kAccentHot, kAccentPushed};

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool WaitForFile(const std::string& path, int timeoutMilliseconds) {
    for (int waited = 0; waited < timeoutMilliseconds; waited += 50) {
        if (Exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The shipped payload with the launcher replaced by a stand-in that records its start.
std::map<std::string, std::string> PayloadWithLauncherStandIn(const std::string& marker) {
    return {{"Pellamor.exe", "#!/bin/sh\necho \"$0\" > '" + marker + "'\n"}, {"ReadMe.txt", "Orvanti\r\n"}};
}

}  // namespace

TEST_F(WizardTest, OpensCollapsedAndTheCustomButtonTogglesThePanel) {
    ASSERT_TRUE(StartWizard());
    EXPECT_EQ(Geometry().height, kCollapsedHeight);
    EXPECT_EQ(Geometry().width, kWindowWidth);
    EXPECT_EQ(PixelAt(kInstallButton.x, kInstallButton.y), kAccent);

    Click(kCustomButton.x, kCustomButton.y);
    EXPECT_EQ(Geometry().height, kExpandedHeight);
    Click(kCustomButton.x, kCustomButton.y);
    EXPECT_EQ(Geometry().height, kCollapsedHeight);

    Click(kCloseButton.x, kCloseButton.y);
    EXPECT_EQ(wizard_.Wait(10000), 0) << wizard_.Errors();
    // A wizard closed on its first page still writes the user configuration.
    EXPECT_NE(ReadWholeFile(UserConfigFile()).find("InstallPath=C:\\Program Files (x86)\\Velmora"), std::string::npos);
}

TEST_F(WizardTest, TheAgreementGatesTheInstallButton) {
    ASSERT_TRUE(StartWizard());
    Click(kAgreementBox.x, kAgreementBox.y);
    EXPECT_TRUE(WaitForPixel(kInstallButton.x, kInstallButton.y, {kAccentDisabled}, 3000));
    Click(kInstallButton.x, kInstallButton.y);  // disabled: nothing starts
    EXPECT_EQ(PixelAt(kInstallButton.x, kInstallButton.y), kAccentDisabled);
    Click(kAgreementBox.x, kAgreementBox.y);
    EXPECT_TRUE(WaitForPixel(kInstallButton.x, kInstallButton.y, {kAccent}, 3000));
    EXPECT_FALSE(Exists(OnDriveC("Program Files (x86)/Velmora/Pellamor.exe")));
}

// Two levels below a folder that does not exist yet: there is no parent to make it in.
TEST_F(WizardTest, AnInvalidPathIsRefusedWithAMessage) {
    ASSERT_TRUE(StartWizard());
    TypeInstallPath("\\missing\\deeper");
    Key("Return");
    ASSERT_TRUE(AnswerInvalidPathMessage()) << "no invalid-path message";
    // Still the welcome step: nothing was installed.
    EXPECT_EQ(Geometry().height, kExpandedHeight);
    EXPECT_TRUE(WaitForPixel(kInstallButton.x, kInstallButton.y, kButtonBlue, 3000));
    EXPECT_FALSE(Exists(OnDriveC("Program Files (x86)/Velmora/Pellamor.exe")));
}

// Typed paths the install cannot use: refused with the message when empty or
// too long for Windows, and never a crash.
TEST_F(WizardTest, UnusableTypedPathsAreRefused) {
    const std::string tooLong = "C:\\" + std::string(300, 'a');
    for (const std::string& typed : {std::string(), tooLong}) {
        ASSERT_TRUE(StartWizard());
        TypeInstallPath(typed, PathEdit::Replace);
        Key("Return");
        std::string box = WaitForWindowNamed("安装路径无效");
        ASSERT_FALSE(box.empty()) << "no invalid-path message for " << typed.size() << " characters";
        AnswerBox(box);
        Click(kCloseButton.x, kCloseButton.y);
        EXPECT_EQ(wizard_.Wait(10000), 0) << wizard_.Errors();
    }
    EXPECT_FALSE(Exists(OnDriveC("Program Files (x86)/Velmora/Pellamor.exe")));
}

// Windows drops trailing blanks from a path's last name: the folder is the same.
TEST_F(WizardTest, TrailingBlanksNameTheSameFolder) {
    ASSERT_TRUE(StartWizard());
    TypeInstallPath("   ");
    Key("Return");
    EXPECT_TRUE(WaitForPixel(kFinishButton.x, kFinishButton.y, kButtonBlue, 60000));
    EXPECT_TRUE(Exists(OnDriveC("Program Files (x86)/Velmora/Pellamor.exe")));
}

// A file is not a folder to install into: the install button refuses it
// before anything starts, and the user's file keeps its content and rights.
TEST_F(WizardTest, AFileAsInstallPathIsRefusedBeforeTheInstallStarts) {
    std::filesystem::create_directories(OnDriveC("Data"));
    const std::string notes = OnDriveC("Data/notes.txt");
    WriteWholeFile(notes, "mine\r\n");
    chmod(notes.c_str(), 0640);
    ASSERT_TRUE(StartWizard());
    TypeInstallPath("C:\\Data\\notes.txt", PathEdit::Replace);
    Click(kInstallButton.x, kInstallButton.y);
    ASSERT_TRUE(AnswerInvalidPathMessage()) << "the file was not refused";
    EXPECT_EQ(Geometry().height, kExpandedHeight);  // still the welcome step
    Click(kCloseButton.x, kCloseButton.y);
    EXPECT_EQ(wizard_.Wait(10000), 0) << wizard_.Errors();
    EXPECT_EQ(ReadWholeFile(notes), "mine\r\n");
    struct stat info {};
    ASSERT_EQ(stat(notes.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_LT(getxattr(notes.c_str(), "user.wincompat.sd", nullptr, 0), 0) << "the file was given a descriptor";
}

TEST_F(WizardTest, EnterInThePathEditInstallsAndTheFinishButtonStartsTheProduct) {
    std::string marker = folder_ + "/launcher-started";
    std::string installer = InstallerWithPayload(PayloadWithLauncherStandIn(marker));
    ASSERT_TRUE(StartWizard(installer));
    TypeInstallPath("");
    Key("Return");
    // Starting folds the panel away.
    EXPECT_EQ(Geometry().height, kCollapsedHeight);
    ASSERT_TRUE(WaitForPixel(kFinishButton.x, kFinishButton.y, kButtonBlue, 60000)) << "no completion page";
    EXPECT_FALSE(WindowGone());
    Screenshot("complete");

    Click(kFinishButton.x, kFinishButton.y);
    EXPECT_EQ(wizard_.Wait(20000), 0) << wizard_.Errors();
    ASSERT_TRUE(WaitForFile(marker, 5000)) << "the launcher was not started";
    EXPECT_NE(ReadWholeFile(marker).find("Velmora/Pellamor.exe"), std::string::npos);
    EXPECT_NE(ReadWholeFile(UserConfigFile()).find("InstallTime="), std::string::npos);
}

// The install is quick: the wizard is paused for each photograph (the X
// server keeps what it last painted) so that every stage can be seen.
TEST_F(WizardTest, ProgressTextAndBarMoveAndTheSystemCloseIsRefused) {
    ASSERT_TRUE(StartWizard());
    Key("Return", 0);
    std::set<std::string> progressViews;
    bool sawBarFilling = false;
    for (int shot = 0; shot < 300; ++shot) {
        kill(wizard_.Pid(), SIGSTOP);
        std::string file = Screenshot("progress");
        bool complete = X11Driver::PixelColour(file, kFinishButton.x, kFinishButton.y) == kAccent;
        // The status, percentage and bar as text: equal frames give equal crops.
        ProcessResult crop = RunProcess({"/usr/bin/convert", file, "-crop", "504x60+48+220", "-depth", "4", "txt:-"});
        progressViews.insert(crop.output);
        if (X11Driver::PixelColour(file, kProgressBarStart.x, kProgressBarStart.y) == kAccent) sawBarFilling = true;
        kill(wizard_.Pid(), SIGCONT);
        if (complete) break;
        if (shot == 2) Key("alt+F4", 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(progressViews.size(), 3u) << "the progress page did not change";
    EXPECT_TRUE(sawBarFilling);
    EXPECT_TRUE(WaitForPixel(kFinishButton.x, kFinishButton.y, kButtonBlue, 60000));
    EXPECT_FALSE(WindowGone());
}

TEST_F(WizardTest, KeyboardAloneChoosesTheShortcutsAndInstalls) {
    ASSERT_TRUE(StartWizard());
    // Focus order: minimise, close, install, agreement, two links, the panel button.
    for (int i = 0; i < 7; ++i) Key("Tab");
    Key("space");
    EXPECT_EQ(Geometry().height, kExpandedHeight);
    // Then the path edit, browse, the start-menu box; back and forth once.
    for (int i = 0; i < 4; ++i) Key("Tab");
    Key("shift+Tab");
    Key("space");
    Key("Return");
    ASSERT_TRUE(WaitForPixel(kFinishButton.x, kFinishButton.y, kButtonBlue, 60000));
    std::string startMenu = OnDriveC("ProgramData/Microsoft/Windows/Start Menu/Programs/Orvanti文件数据恢复");
    EXPECT_FALSE(Exists(startMenu + "/Orvanti文件数据恢复.lnk"));
    EXPECT_TRUE(Exists(OnDriveC("users/Public/Desktop/Orvanti文件数据恢复.lnk")));
}

TEST_F(WizardTest, TheAgreementAndPrivacyLinksOpenTheMakersPages) {
    ASSERT_TRUE(StartWizard());
    Click(kAgreementLink.x, kAgreementLink.y);
    Click(kPrivacyLink.x, kPrivacyLink.y);
    std::string opened = tools_ + "/opened-urls";
    ASSERT_TRUE(WaitForFile(opened, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(ReadWholeFile(opened),
              "http://www.orvanti.example/agree.html\n"
              "http://www.orvanti.example/privacy.html\n");
}

// The product folder below the chosen one does not exist yet: the install makes it.
TEST_F(WizardTest, ABrowsedFolderGetsTheProductFolderAndIsInstalledInto) {
    std::string chosen = folder_ + "/apps";
    std::filesystem::create_directories(chosen);
    ASSERT_TRUE(StartWizard());
    Click(kCustomButton.x, kCustomButton.y);
    Click(kBrowseButton.x, kBrowseButton.y);
    std::string chooser = WaitForWindowNamed("请选择安装路径");
    ASSERT_FALSE(chooser.empty()) << "no folder chooser";
    driver_->Focus(chooser);
    Key("ctrl+l");
    driver_->Type(chosen + "/");
    Key("Delete");  // should GTK complete a subfolder inline, keep the typed folder
    Key("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    driver_->Focus(window_);
    Key("Return");
    EXPECT_TRUE(WaitForPixel(kFinishButton.x, kFinishButton.y, kButtonBlue, 60000));
    EXPECT_TRUE(Exists(chosen + "/Velmora/Pellamor.exe"));
    Click(kCloseButton.x, kCloseButton.y);
    EXPECT_EQ(wizard_.Wait(10000), 0);
    EXPECT_NE(ReadWholeFile(UserConfigFile()).find("\\apps\\Velmora"), std::string::npos);
}

TEST_F(WizardTest, AFailedInstallIsShownAndMayBeClosed) {
    std::string installer = QuietInstaller();
    WriteWholeFile(folder_ + "/broken.7z", "not an archive");
    RunProcess({BuildFile("set-resource"), installer, "ZIPRES", "IDR_STEP7ZRES", folder_ + "/broken.7z"});
    ASSERT_TRUE(StartWizard(installer));
    Key("Return");
    ASSERT_TRUE(WaitForPixel(kBarWhenFailed.x, kBarWhenFailed.y, {kBarTrack, kAccent}, 30000))
        << "the failure was not shown";
    Key("alt+F4");
    EXPECT_EQ(wizard_.Wait(10000), 3);
}

TEST_F(WizardTest, ClosingDuringTheInstallLetsItFinishQuietly) {
    ASSERT_TRUE(StartWizard());
    Key("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Click(kCloseButton.x, kCloseButton.y);
    EXPECT_EQ(wizard_.Wait(60000), 0) << wizard_.Errors();
    EXPECT_TRUE(Exists(OnDriveC("Program Files (x86)/Velmora/VelmoraUserVersion.ini")));
}

TEST_F(WizardTest, AMissingD3d9IsReportedBeforeTheWizardOpens) {
    ASSERT_TRUE(StartWizard("", {{"WINCOMPAT_MISSING", "d3d9.dll"}}));
    EXPECT_EQ(driver_->Title(window_), "信息提示");
    Key("Return");
    std::vector<std::string> windows = driver_->WaitForWindows(wizard_.Pid(), 10000);
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(driver_->Title(windows.front()), "安装向导");
}
