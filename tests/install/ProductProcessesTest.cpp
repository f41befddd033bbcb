// Stopping the product's processes and starting command lines, over real
// processes named like the product's executables (copies of process-probe and
// a #! script). Every case that stops processes is in one test, so that no two
// test processes stop each other's copies.
#include "install/ProductProcesses.h"

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/RunningProgram.h"
#include "support/TestPrefix.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class ProductProcessesTest : public testing::Test {
protected:
    // Each copy in a folder of its own, so that two may share a name.
    std::unique_ptr<RunningProgram> Start(const std::string& name, bool script = false) {
        std::string folder = MakeTestFolder("copy");
        std::string path = folder + "/" + name;
        WriteWholeFile(path, script ? "#!/usr/bin/perl\nsleep 60;\n" : ReadWholeFile(BuildFile("process-probe")));
        chmod(path.c_str(), 0755);
        auto process = std::make_unique<RunningProgram>(path);
        EXPECT_TRUE(process->Started()) << name;
        return process;
    }
};

// Finding and stopping share one test: a second test process stopping
// processes would end this one's copies.
TEST_F(ProductProcessesTest, FindsByWholeNameAndStopsOneProcessOfEachExecutableAndNothingElse) {
    std::vector<std::unique_ptr<RunningProgram>> decoys;
    for (const char* name : {"Pellamor.exe.bak", "xPellamor.exe", "Myrtelo.ex", "Ärger.exe"}) decoys.push_back(Start(name));
    EXPECT_TRUE(StopProductProcesses());  // none of the product's programs runs
    for (const auto& decoy : decoys) EXPECT_TRUE(decoy->Runs());

    auto launcher = Start("PELLAMOR.EXE");
    auto firstMain = Start("Quistral.exe");
    auto secondMain = Start("Quistral.exe", true);  // a script: the interpreter runs it
    auto uninstaller = Start("Dravenko.exe");
    struct Case {
        const wchar_t* name;
        DWORD expected;
    };
    const Case cases[] = {
        {L"Pellamor.exe", launcher->Id()},
        {L"pellamor.EXE", launcher->Id()},
        {L"Pellamor", 0},  // the whole name, not a prefix
        {L"ELLAMOR.EXE", 0},
        {L"ÄRGER.EXE", decoys[3]->Id()},
        {L"ärger.exe", 0},  // Ä and ä differ: only A to Z are folded
        {L"Sorvanda.exe", 0},
    };
    for (const Case& test : cases) EXPECT_EQ(FindProcessByName(test.name), test.expected) << test.name;
    EXPECT_NE(FindProcessByName(L"QUISTRAL.EXE"), 0u);

    EXPECT_TRUE(StopProductProcesses());
    EXPECT_TRUE(launcher->Ends());
    EXPECT_EQ(launcher->ExitCode(), 2u);
    EXPECT_TRUE(uninstaller->Ends());
    EXPECT_EQ(uninstaller->ExitCode(), 2u);
    int mainsRunning = firstMain->Runs() + secondMain->Runs();
    for (int i = 0; i < 100 && mainsRunning == 2; ++i, Sleep(50)) mainsRunning = firstMain->Runs() + secondMain->Runs();
    EXPECT_EQ(mainsRunning, 1) << "exactly one of the two copies is ended";
    for (const auto& decoy : decoys) EXPECT_TRUE(decoy->Runs());

    EXPECT_TRUE(StopProductProcesses());  // the next pass ends the other copy
    EXPECT_TRUE(firstMain->Ends());
    EXPECT_TRUE(secondMain->Ends());
}

class RunCommandLineTest : public testing::Test {
protected:
    std::string reportPath_ = MakeTestFolder("run-command-line") + "/report.txt";
    std::wstring probe_ = L"\"" + wincompat::UnixToDos(BuildFile("process-probe")) + L"\"";

    void SetUp() override { setenv("PROBE_REPORT", reportPath_.c_str(), 1); }
    void TearDown() override { unsetenv("PROBE_REPORT"); }

    // The probe's report, once it is complete.
    std::string Report() const {
        for (int i = 0; i < 400; ++i, Sleep(50)) {
            std::string text = ReadWholeFile(reportPath_);
            if (text.find("end=1\n") != std::string::npos) return text;
        }
        return {};
    }
};

TEST_F(RunCommandLineTest, StartsWithoutWaitingWithOneBlankAfterTheCommandAndNoStandardHandles) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE held = CreateFileW(wincompat::UnixToDos(reportPath_ + ".held").c_str(), GENERIC_WRITE, 0, &inheritable,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunCommandLine((probe_ + L" sleep 1").c_str(), false), 0u);
    CloseHandle(held);
    std::string report = Report();
    EXPECT_NE(report.find("cmdline=" + wincompat::Utf8FromWide(probe_) + " sleep 1 \n"), std::string::npos) << report;
    for (const char* fd : {"fd.0=/dev/null\n", "fd.1=/dev/null\n", "fd.2=/dev/null\n"})
        EXPECT_NE(report.find(fd), std::string::npos) << fd;
    EXPECT_NE(report.find("=" + reportPath_ + ".held\n"), std::string::npos) << "handles are inherited";
}

TEST_F(RunCommandLineTest, ReturnsTheErrorWhenNothingStarts) {
    EXPECT_EQ(RunCommandLine(L"no-such-program-anywhere", true), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    std::wstring tooLong = probe_ + L" " + std::wstring(1100, L'x');
    EXPECT_EQ(RunCommandLine(tooLong.c_str(), false), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    Sleep(300);
    EXPECT_EQ(ReadWholeFile(reportPath_), "");  // not started cut short
}

// Waiting gives the ended process's exit code, tells a process still running
// from one that ended, and gives a start's failure as RunCommandLine does.
TEST_F(RunCommandLineTest, AndWaitGivesTheExitCodeOrTellsThatTheProcessStillRuns) {
    struct Case {
        std::wstring command;
        DWORD timeoutMs;
        DWORD result;
        DWORD exitCode;  // when it ended
    } cases[] = {
        {probe_ + L" exit 0", 20000, 0, 0},
        {probe_ + L" exit 7", 20000, 0, 7},
        {probe_ + L" sleep 3", 100, WAIT_TIMEOUT, 99},
        {L"no-such-program-anywhere", 20000, ERROR_FILE_NOT_FOUND, 99},
        {probe_ + L" " + std::wstring(1100, L'x'), 20000, ERROR_INSUFFICIENT_BUFFER, 99},
    };
    for (const Case& c : cases) {
        DWORD exitCode = 99;
        EXPECT_EQ(RunCommandLineAndWait(c.command.c_str(), false, c.timeoutMs, exitCode), c.result)
            << wincompat::Utf8FromWide(c.command.substr(0, 80));
        EXPECT_EQ(exitCode, c.exitCode) << wincompat::Utf8FromWide(c.command.substr(0, 80));
    }
    // The command line handed over is RunCommandLine's: one blank after the command.
    DWORD exitCode = 99;
    ASSERT_EQ(RunCommandLineAndWait((probe_ + L" exit 0").c_str(), false, 20000, exitCode), 0u);
    EXPECT_NE(Report().find("cmdline=" + wincompat::Utf8FromWide(probe_) + " exit 0 \n"), std::string::npos);
}

}  // namespace
