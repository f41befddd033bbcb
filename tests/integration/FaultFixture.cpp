#include "integration/FaultFixture.h"

#include <sys/stat.h>

void FaultInstallTest::SetUp() {
    InstallerTest::SetUp();
    installer_ = QuietInstaller(folder_ + "/quiet");
    UsePrefix("reference");
    ProcessResult clean = RunInstaller({"slient"}, installer_);
    ASSERT_EQ(clean.exitCode, 0) << clean.output << clean.errors;
    reference_ = TakeSnapshot(prefix_, login_);
    ASSERT_TRUE(reference_.hiveProblem.empty()) << reference_.hiveProblem;
    ASSERT_FALSE(reference_.files.empty());
}

std::string FaultInstallTest::UsePrefix(const std::string& name) {
    prefix_ = folder_ + "/prefix-" + name;
    mkdir(prefix_.c_str(), 0777);
    return prefix_;
}

std::string FaultInstallTest::CompleteInstallProblem() {
    std::string problem = MissingFrom(TakeSnapshot(prefix_, login_), reference_);
    std::string left = HiveTemporaries(prefix_);
    if (!left.empty()) problem += "temporaries left: " + left + "\n";
    struct stat info;
    if (stat((HivePath() + ".damaged").c_str(), &info) == 0) problem += "a damaged hive was set aside\n";
    return problem;
}
