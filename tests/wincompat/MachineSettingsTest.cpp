// The emulated machine's settings from wincompat.ini and WINCOMPAT_*
// variables: a value that cannot be used is named on standard error, with
// where it came from, and the default stays.
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <string>

namespace {

struct Machine {
    std::string answers;  // "ACP MAJOR.MINOR.BUILD PROCESSORS"
    std::string errors;
};

Machine RunMachineProbe(const std::string& prefix, const std::string& settings,
                        std::map<std::string, std::string> environment) {
    mkdir(prefix.c_str(), 0777);
    WriteWholeFile(prefix + "/wincompat.ini", settings);
    environment["WINCOMPAT_PREFIX"] = prefix;
    environment["PROBE_REPORT"] = "/dev/null";
    ProcessResult run = RunProcess({BuildFile("process-probe"), "machine"}, environment);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    size_t at = run.output.find("machine=");
    std::string answers = at == std::string::npos ? "" : run.output.substr(at + 8, run.output.find('\n', at) - at - 8);
    return {answers, run.errors};
}

}  // namespace

TEST(MachineSettings, UnusableValuesAreNamedAndTheDefaultsStay) {
    const std::string folder = MakeTestFolder("machine-settings");
    const Machine defaults = RunMachineProbe(folder + "/defaults", "", {{"LANG", "C.UTF-8"}});
    ASSERT_FALSE(defaults.answers.empty());
    EXPECT_EQ(defaults.errors, "");
    struct Case {
        const char* name;
        std::string settings;  // the [Machine] lines of wincompat.ini
        std::map<std::string, std::string> environment;
        std::string warning;  // expected on standard error; empty: none
        std::string answers;  // empty: the defaults
    };
    const Case cases[] = {
        {"an unknown code page", "CodePage=99999\n", {},
         "ignoring machine setting CodePage=99999 from FILE (no such code page); the default is used", ""},
        {"a code page that is no number", "", {{"WINCOMPAT_CODEPAGE", "gbk"}},
         "ignoring machine setting CodePage=gbk from WINCOMPAT_CODEPAGE (not a code page number)", ""},
        {"a version with junk", "Version=10.0abc\n", {}, "Version=10.0abc from FILE (not major.minor[.build])", ""},
        {"no processors", "Processors=0\n", {}, "Processors=0 from FILE (not a count from 1 to 1024)", ""},
        {"a misspelt name", "CodePge=936\n", {}, "ignoring unknown machine setting codepge=936 in FILE", ""},
        {"good values", "CodePage=936\nVersion=6.1.7601\nProcessors=3\n", {}, "", "936 6.1.7601 3"},
        {"the variable over the file", "CodePage=1252\n", {{"WINCOMPAT_CODEPAGE", "936"}}, "", ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string prefix = folder + "/" + std::to_string(index++);
        std::map<std::string, std::string> environment = c.environment;
        environment["LANG"] = "C.UTF-8";
        Machine machine = RunMachineProbe(prefix, "[Machine]\n" + c.settings, environment);
        std::string warning = c.warning;
        if (size_t at = warning.find("FILE"); at != std::string::npos)
            warning.replace(at, 4, prefix + "/wincompat.ini");
        if (warning.empty()) EXPECT_EQ(machine.errors, "");
        else EXPECT_NE(machine.errors.find(warning), std::string::npos) << machine.errors;
        if (!c.answers.empty()) EXPECT_EQ(machine.answers, c.answers);
        else if (c.environment.count("WINCOMPAT_CODEPAGE") && c.warning.empty())
            EXPECT_EQ(machine.answers.substr(0, 4), "936 ");
        else EXPECT_EQ(machine.answers, defaults.answers);
    }
}
