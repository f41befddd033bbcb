// Installs under injected faults, compared with one clean install.
#pragma once

#include "integration/InstallSnapshot.h"
#include "integration/InstallerFixture.h"

class FaultInstallTest : public InstallerTest {
protected:
    void SetUp() override;

    // A fresh prefix of this test, for one case; RunInstaller uses it from now on.
    std::string UsePrefix(const std::string& name);
    std::string HivePath() const { return prefix_ + "/system.reg"; }
    // Empty when the prefix holds a complete install and nothing damaged or left over.
    std::string CompleteInstallProblem();

    std::string installer_;        // the quiet installer copy
    InstallSnapshot reference_;    // what a clean install leaves
};
