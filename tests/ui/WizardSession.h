// One run of the wizard on a private X display, in a fresh prefix: starts
// the installer, finds its window, and offers what a user does with it.
#pragma once

#include "ChildProcess.h"
#include "X11Driver.h"

#include "support/SilentPort.h"
#include "support/XvfbDisplay.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Starts the installer (or a copy) in the test's working folder and waits
    // for its first window.
    bool StartWizard(const std::string& installer = "", std::map<std::string, std::string> environment = {});
    // The window of another title (a message box, the folder chooser).
    std::string WaitForWindowNamed(const std::string& title, int timeoutMilliseconds = 10000);

    void Click(int x, int y) { driver_->Click(window_, x, y); }
    // Opens the options panel and types into the path edit, after its text or
    // in place of it; Enter is the test's to press.
    enum class PathEdit { Append, Replace };
    void TypeInstallPath(const std::string& text, PathEdit how = PathEdit::Append);
    // Answers a message box with Enter and gives the focus back to the wizard.
    void AnswerBox(const std::string& box);
    // Waits for the invalid-path message, answers it and waits until it has
    // gone, so that the next one can be told from it; false when none came.
    bool AnswerInvalidPathMessage();
    void Key(const std::string& keys, int pauseMilliseconds = 150) { driver_->Key(keys, pauseMilliseconds); }
    WindowGeometry Geometry() const { return driver_->Geometry(window_); }
    // A screenshot of the wizard window in this test's folder.
    std::string Screenshot(const std::string& name);
    std::string PixelAt(int x, int y);
    // Polls screenshots until the pixel has one of the colours.
    bool WaitForPixel(int x, int y, const std::vector<std::string>& colours, int timeoutMilliseconds);
    bool WindowGone() { return driver_->VisibleWindows(wizard_.Pid()).empty(); }

    std::string OnDriveC(const std::string& pathAfterC) const;
    std::string UserConfigFile() const;
    // A copy of the installer, in this test's folder, whose reports go to a
    // port that refuses them, never to a statistics server another run keeps.
    std::string QuietInstaller(const std::string& name = "velmora-setup");
    // A quiet copy whose payload holds the given files (name → content).
    std::string InstallerWithPayload(const std::map<std::string, std::string>& files);

    std::unique_ptr<XvfbDisplay> display_;
    std::unique_ptr<X11Driver> driver_;
    ChildProcess wizard_;
    std::string window_;
    std::string folder_;
    std::string prefix_;
    std::string login_;
    std::string tools_;  // stand-ins put first on the wizard's PATH
    std::string workingFolder_;  // the wizard's current folder, the test's own
    SilentPort reportPort_{false};
};
