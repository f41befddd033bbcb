// Runs the built installer in a fresh prefix of its own and reads back what it left.
#pragma once

#include "support/ProcessRunner.h"
#include "support/SilentPort.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Runs the installer (or a copy of it) with the arguments, in this test's prefix.
    ProcessResult RunInstaller(const std::vector<std::string>& arguments,
                               const std::string& installer = BuildFile("velmora-setup"),
                               std::map<std::string, std::string> environment = {});

    // The unix path of a Windows path inside this test's prefix drive C:.
    std::string OnDriveC(const std::string& windowsPathAfterC) const;
    std::string UserConfigFile() const;
    // What an earlier install leaves: the folder in the user's configuration
    // file (which the user may edit) and, when an elevated install wrote it,
    // in the machine's product key. Needs a run that made the file.
    void RecordUserInstallPath(const std::string& windowsPath);
    void RecordMachineInstallPath(const std::string& windowsPath);
    // A copy of the installer under a chosen file name, in a folder of the test.
    std::string CopyInstaller(const std::string& fileName) const;
    // A copy of the installer, as setup.exe in the folder (made when missing),
    // whose report goes to a port that refuses it, so that no statistics
    // server of another run hears of this test's installs.
    std::string QuietInstaller(const std::string& folder);
    // A copy of the installer, as setup.exe in the folder, whose report goes
    // to the port given (of five digits, like the build's own) on 127.0.0.1.
    std::string InstallerReportingTo(const std::string& folder, const std::string& port);

    std::string folder_;  // scratch folder of this test
    std::string prefix_;  // WINCOMPAT_PREFIX of the runs
    std::string login_;
    SilentPort silentPort_{false};
};

// The one line of a failed install on standard error ("install failed: ..."),
// empty when there is none; more than one such line fails the test.
std::string FailureLine(const ProcessResult& run);

// Reads one "key=value" of a section from INI text (CRLF lines).
std::string IniValue(const std::string& text, const std::string& section, const std::string& key);
