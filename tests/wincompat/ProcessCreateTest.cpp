// CreateProcessW: finding the program, the arguments and exact command line
// the child sees, its standard and inherited handles, environment and folder.
// The child is process-probe, which reports what it was started with.
#include <windows.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Report = std::map<std::string, std::string>;

std::wstring Dos(const std::string& unixPath) { return wincompat::UnixToDos(unixPath); }

void CopyExecutable(const std::string& from, const std::string& to) {
    WriteWholeFile(to, ReadWholeFile(from));
    chmod(to.c_str(), 0755);
}

Report ParseReport(const std::string& text) {
    Report report;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        size_t equals = line.find('=');
        if (equals != std::string::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 1;
    }
    return report;
}

std::vector<std::string> Arguments(const Report& report) {
    std::vector<std::string> arguments;
    for (int i = 1;; ++i) {
        auto found = report.find("argv." + std::to_string(i));
        if (found == report.end()) return arguments;
        arguments.push_back(found->second);
    }
}

bool HasDescriptorTo(const Report& report, const std::string& target) {
    for (const auto& [name, value] : report)
        if (name.rfind("fd.", 0) == 0 && value == target) return true;
    return false;
}

struct Launch {
    BOOL inherit = FALSE;
    STARTUPINFOW startup{};
    LPVOID environment = nullptr;
    DWORD flags = 0;
    LPCWSTR folder = nullptr;
};

class CreateProcessTest : public testing::Test {
protected:
    std::string folder_ = MakeTestFolder("create-process");
    std::string reportPath_ = folder_ + "/report.txt";
    std::wstring probe_ = Dos(BuildFile("process-probe"));

    void SetUp() override { setenv("PROBE_REPORT", reportPath_.c_str(), 1); }
    void TearDown() override { unsetenv("PROBE_REPORT"); }

    // Runs the command line to its end; false when it could not be started.
    bool Run(const std::wstring& commandLine, Launch launch = {}, DWORD* exitCode = nullptr) {
        unlink(reportPath_.c_str());
        std::wstring text = commandLine;
        launch.startup.cb = sizeof(STARTUPINFOW);
        PROCESS_INFORMATION information{};
        if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, launch.inherit, launch.flags, launch.environment,
                            launch.folder, &launch.startup, &information))
            return false;
        EXPECT_NE(information.dwProcessId, 0u);
        EXPECT_EQ(WaitForSingleObject(information.hThread, 20000), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(information.hProcess, &code));
        if (exitCode) *exitCode = code;
        CloseHandle(information.hThread);
        CloseHandle(information.hProcess);
        return true;
    }

    Report Reported() const { return ParseReport(ReadWholeFile(reportPath_)); }
    std::wstring Quoted(const std::wstring& path) const { return L"\"" + path + L"\""; }
};

TEST_F(CreateProcessTest, ChildGetsArgumentsSplitByWindowsRulesAndTheExactCommandLine) {
    struct Case {
        std::wstring arguments;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {L"a b", {"a", "b"}},
        {L"  spaced\tout  ", {"spaced", "out"}},
        {L"\"a b\" c", {"a b", "c"}},
        {L"a\\\"b", {"a\"b"}},                 // \" is a literal quote
        {L"\"a\\\\\" b", {"a\\", "b"}},          // \\" is a backslash, then the closing quote
        {L"a\\\\b c\\", {"a\\\\b", "c\\"}},       // backslashes before no quote stay
        {L"\"\" x", {"", "x"}},                 // an empty argument
        {L"\"x\"\"y\"", {"x\"y"}},              // a doubled quote inside quotes
        {L"x ", {"x"}},                         // the trailing blank is only in the command line
        {L"Ünïcödé 文件", {"Ünïcödé", "文件"}},
    };
    for (const Case& test : cases) {
        std::wstring commandLine = Quoted(probe_) + L" " + test.arguments;
        ASSERT_TRUE(Run(commandLine)) << GetLastError();
        Report report = Reported();
        EXPECT_EQ(Arguments(report), test.expected) << wincompat::Utf8FromWide(test.arguments);
        EXPECT_EQ(report["cmdline"], wincompat::Utf8FromWide(commandLine));
    }
}

TEST_F(CreateProcessTest, FindsTheProgramAsWindowsDoes) {
    std::string spaced = folder_ + "/dir with space";
    mkdir(spaced.c_str(), 0755);
    CopyExecutable(BuildFile("process-probe"), spaced + "/Probe.exe");
    std::string system32 = TestPrefixRoot() + "/drive_c/windows/system32";
    CopyExecutable(BuildFile("process-probe"), system32 + "/sysprobe.exe");
    std::wstring inSpaced = Dos(spaced);
    struct Case {
        std::wstring commandLine;
        const char* why;
    };
    const Case cases[] = {
        {Quoted(inSpaced + L"\\Probe.exe") + L" a", "quoted path"},
        {inSpaced + L"\\Probe.exe a", "unquoted path with blanks, cut at each blank in turn"},
        {inSpaced + L"\\Probe a", ".exe added to a name without extension"},
        {Dos(spaced) + L"\\..\\DIR WITH SPACE\\PROBE.EXE a", "names found without regard to case"},
        {L"sysprobe a", "a bare name in the system folder"},
        {L"SYSPROBE.EXE a", "a bare name with extension, any case"},
    };
    for (const Case& test : cases) {
        ASSERT_TRUE(Run(test.commandLine)) << test.why << ": " << GetLastError();
        EXPECT_EQ(Arguments(Reported()), std::vector<std::string>{"a"}) << test.why;
    }
}

TEST_F(CreateProcessTest, BareNamesFallBackToTheUnixPathAndExitCodesComeBack) {
    DWORD code = 99;
    ASSERT_TRUE(Run(L"true", {}, &code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(Run(L"false", {}, &code));
    EXPECT_EQ(code, 1u);
}

TEST_F(CreateProcessTest, FailsWithWindowsErrorsForProgramsThatCannotRun) {
    std::string text = folder_ + "/Text.exe";
    WriteWholeFile(text, "not a program\n");
    chmod(text.c_str(), 0755);
    struct Case {
        std::wstring commandLine;
        DWORD error;
    };
    const Case cases[] = {
        {L"no-such-program-anywhere x", ERROR_FILE_NOT_FOUND},
        {Quoted(Dos(folder_ + "/Missing.exe")), ERROR_FILE_NOT_FOUND},
        {Quoted(Dos(text)), ERROR_BAD_EXE_FORMAT},
    };
    for (const Case& test : cases) {
        EXPECT_FALSE(Run(test.commandLine));
        EXPECT_EQ(GetLastError(), test.error) << wincompat::Utf8FromWide(test.commandLine);
    }
    Launch badFolder;
    badFolder.folder = L"C:\\no\\such\\folder";
    EXPECT_FALSE(Run(Quoted(probe_), badFolder));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

// Windows has no execute bit: a program written by an extraction (mode 0644)
// runs as any other.
TEST_F(CreateProcessTest, ProgramsWithoutExecuteBitRun) {
    std::string image = folder_ + "/Image.exe";
    WriteWholeFile(image, ReadWholeFile(BuildFile("process-probe")));
    std::string script = folder_ + "/Script.exe";
    WriteWholeFile(script, "#!/bin/sh\necho \"argv.1=$1\" > \"$PROBE_REPORT\"\n");
    for (const std::string& program : {image, script}) {
        chmod(program.c_str(), 0644);
        ASSERT_TRUE(Run(Quoted(Dos(program)) + L" first")) << program << " " << GetLastError();
        EXPECT_EQ(Reported()["argv.1"], "first") << program;
    }
}

TEST_F(CreateProcessTest, NullStandardHandlesGiveTheChildNone) {
    Launch launch;
    launch.startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    ASSERT_TRUE(Run(Quoted(probe_), launch));
    Report report = Reported();
    for (const char* fd : {"fd.0", "fd.1", "fd.2"}) EXPECT_EQ(report[fd], "/dev/null") << fd;
}

TEST_F(CreateProcessTest, OnlyInheritableHandlesReachTheChildAndOnlyWhenAsked) {
    std::string inheritablePath = folder_ + "/inheritable.txt";
    std::string privatePath = folder_ + "/private.txt";
    WriteWholeFile(inheritablePath, "x");
    WriteWholeFile(privatePath, "x");
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE shared = CreateFileW(Dos(inheritablePath).c_str(), GENERIC_READ, share, &inheritable, OPEN_EXISTING, 0, nullptr);
    HANDLE kept = CreateFileW(Dos(privatePath).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    ASSERT_NE(kept, INVALID_HANDLE_VALUE);
    for (BOOL inherit : {TRUE, FALSE}) {
        Launch launch;
        launch.inherit = inherit;
        ASSERT_TRUE(Run(Quoted(probe_), launch));
        Report report = Reported();
        EXPECT_EQ(HasDescriptorTo(report, inheritablePath), inherit == TRUE) << "inherit " << inherit;
        EXPECT_FALSE(HasDescriptorTo(report, privatePath)) << "inherit " << inherit;
    }
    CloseHandle(shared);
    CloseHandle(kept);
}

TEST_F(CreateProcessTest, ChildSeesThePrefixTheFolderAndTheEnvironmentGiven) {
    ASSERT_TRUE(Run(Quoted(probe_)));
    EXPECT_EQ(Reported()["prefix"], TestPrefixRoot());

    // A block of its own, without WINCOMPAT_PREFIX: the prefix is still ours.
    std::wstring block = L"PROBE_REPORT=" + wincompat::WideFromUtf8(reportPath_) + L'\0' +
                         L"PROBE_ENV=GIVEN" + L'\0' + L"GIVEN=wért" + L'\0' + L'\0';
    Launch launch;
    launch.environment = block.data();
    launch.flags = CREATE_UNICODE_ENVIRONMENT;
    launch.folder = L"C:\\windows";
    ASSERT_TRUE(Run(Quoted(probe_), launch));
    Report report = Reported();
    EXPECT_EQ(report["prefix"], TestPrefixRoot());
    EXPECT_EQ(report["env.GIVEN"], "wért");
    EXPECT_EQ(report["cwd"], TestPrefixRoot() + "/drive_c/windows");
}

}  // namespace
