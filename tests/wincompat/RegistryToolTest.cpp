// wincompat-reg, run as a separate program on a prefix of its own.
#include "support/TestPrefix.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ToolPath() {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? length : 0);
    return path.substr(0, path.rfind('/') + 1) + "wincompat-reg";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class RegTool : public testing::Test {
protected:
    std::string prefix_ = MakeTestFolder("reg-tool");

    // Starts the tool; its output goes to files named after `tag`.
    pid_t Start(const std::vector<std::string>& arguments, const std::string& tag) {
        pid_t child = fork();
        if (child != 0) return child;
        setenv("WINCOMPAT_PREFIX", prefix_.c_str(), 1);
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(open((prefix_ + "/" + tag + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open((prefix_ + "/" + tag + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::string tool = ToolPath();
        std::vector<char*> argv{tool.data()};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }

    ToolRun Finish(pid_t child, const std::string& tag) {
        ToolRun run;
        int status = 0;
        waitpid(child, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = Slurp(prefix_ + "/" + tag + ".out");
        run.err = Slurp(prefix_ + "/" + tag + ".err");
        return run;
    }

    ToolRun Run(const std::vector<std::string>& arguments) { return Finish(Start(arguments, "run"), "run"); }

    void Add(const std::vector<std::string>& arguments) {
        std::vector<std::string> all{"add"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        ToolRun run = Run(all);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "The operation completed successfully.\n");
    }
};

const char kNotFound[] = "ERROR: The system was unable to find the specified registry key or value.\n";

}  // namespace

TEST_F(RegTool, AddsEachTypeAndQueriesLikeRegExe) {
    const std::string key = "HKCU\\Software\\ToolTest";
    Add({key, "/ve", "/d", "default text", "/f"});
    Add({key, "/v", "Name", "/d", "Orvanti文件数据恢复", "/f"});
    Add({key, "/v", "Number", "/t", "REG_DWORD", "/d", "42", "/f"});
    Add({key, "/v", "Hex", "/t", "reg_dword", "/d", "0x10", "/f"});
    Add({key, "/v", "Big", "/t", "REG_QWORD", "/d", "0x100000000", "/f"});
    Add({key, "/v", "Bytes", "/t", "REG_BINARY", "/d", "deadbeef", "/f"});
    Add({key, "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a\\0b", "/f"});
    Add({key, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%SystemRoot%\\x", "/f"});
    Add({key, "/v", "Empty", "/f"});
    Add({key + "\\Sub"});
    ToolRun run = Run({"query", "hkey_current_user\\Software\\ToolTest"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "\nHKEY_CURRENT_USER\\Software\\ToolTest\n"
              "    (Default)    REG_SZ    default text\n"
              "    Big    REG_QWORD    0x100000000\n"
              "    Bytes    REG_BINARY    DEADBEEF\n"
              "    Empty    REG_SZ    \n"
              "    Hex    REG_DWORD    0x10\n"
              "    List    REG_MULTI_SZ    a\\0b\n"
              "    Name    REG_SZ    Orvanti文件数据恢复\n"
              "    Number    REG_DWORD    0x2a\n"
              "    Path    REG_EXPAND_SZ    %SystemRoot%\\x\n"
              "\nHKEY_CURRENT_USER\\Software\\ToolTest\\Sub\n");
    run = Run({"query", key, "/v", "NAME"});
    EXPECT_EQ(run.out, "\nHKEY_CURRENT_USER\\Software\\ToolTest\n    NAME    REG_SZ    Orvanti文件数据恢复\n\n");
    std::string hive = Slurp(prefix_ + "/user.reg");
    EXPECT_NE(hive.find("\"List\"=str(7):\"a\\0b\\0\"\n"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\"Name\"=\"Orvanti\\x6587"), std::string::npos) << hive;
}

TEST_F(RegTool, ShowsThe64BitViewUnlessAskedFor32) {
    Add({"HKLM\\Software\\Product", "/v", "Bits", "/d", "64", "/f"});
    Add({"HKEY_LOCAL_MACHINE\\Software\\Product", "/v", "Bits", "/d", "32", "/f", "/reg:32"});
    EXPECT_NE(Run({"query", "HKLM\\Software\\Product", "/v", "Bits"}).out.find("REG_SZ    64\n"), std::string::npos);
    EXPECT_NE(Run({"query", "HKLM\\Software\\Product", "/v", "Bits", "/reg:32"}).out.find("REG_SZ    32\n"),
              std::string::npos);
    EXPECT_NE(Run({"query", "HKLM\\Software\\Wow6432Node\\Product", "/v", "Bits"}).out.find("REG_SZ    32\n"),
              std::string::npos);
}

TEST_F(RegTool, DeletesValuesAndKeysAndReportsWhatIsMissing) {
    Add({"HKCU\\Software\\Doomed\\Child", "/v", "a", "/d", "1", "/f"});
    Add({"HKCU\\Software\\Doomed", "/v", "b", "/d", "2", "/f"});
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* err;
    } cases[] = {
        {{"delete", "HKCU\\Software\\Doomed", "/v", "B", "/f"}, 0, ""},
        {{"query", "HKCU\\Software\\Doomed", "/v", "b"}, 1, kNotFound},
        {{"delete", "HKCU\\Software\\Doomed", "/v", "b", "/f"}, 1, kNotFound},
        {{"delete", "HKCU\\Software\\Doomed", "/f"}, 0, ""},
        {{"query", "HKCU\\Software\\Doomed\\Child"}, 1, kNotFound},
        {{"delete", "HKCU\\Software\\Doomed", "/f"}, 1, kNotFound},
        {{"query", "HKXX\\Software"}, 1, "ERROR: Invalid key name.\n"},
        {{"query", "HKCU\\Software", "/bogus"}, 1, "ERROR: Invalid syntax.\nType \"REG QUERY /?\" for usage.\n"},
        {{"add", "HKCU\\Software\\X", "/v", "n", "/t", "REG_DWORD", "/d", "12z", "/f"}, 1, "ERROR: Invalid syntax.\n"},
    };
    for (const Case& c : cases) {
        ToolRun run = Run(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments[0] << " " << c.arguments[1];
        EXPECT_EQ(run.err, c.err) << c.arguments[0] << " " << c.arguments[1];
    }
}

TEST_F(RegTool, ConcurrentRunsAllLand) {
    const int runs = 6;
    std::vector<pid_t> children;
    for (int i = 0; i < runs; ++i)
        children.push_back(Start({"add", "HKLM\\Software\\Shared\\K" + std::to_string(i), "/v", "n", "/d",
                                  std::to_string(i), "/f"}, "add" + std::to_string(i)));
    for (int i = 0; i < runs; ++i) EXPECT_EQ(Finish(children[i], "add" + std::to_string(i)).exitCode, 0);
    std::string out = Run({"query", "HKLM\\Software\\Shared"}).out;
    for (int i = 0; i < runs; ++i)
        EXPECT_NE(out.find("\\Shared\\K" + std::to_string(i) + "\n"), std::string::npos) << out;
}
