// The records are made durable once they are complete, not on every value: a
// traced silent install replaces its hives and profile files many times over,
// syncs far fewer times than it replaces, and syncs every file it replaced
// (and its folder) after the last replacement.
#include "integration/InstallerFixture.h"

#include <unistd.h>

#include <map>
#include <regex>
#include <sstream>

namespace {

struct TracedFiles {
    std::map<std::string, size_t> lastReplaced;  // file -> line of its last rename onto it
    std::map<std::string, size_t> lastSynced;    // file or folder -> line of its last fsync
    size_t renames = 0;
    size_t syncs = 0;
};

// The file a traced rename made, as a full path: strace -f -y writes
// "rename(\"from\", \"to\") = 0" and "renameat2(3</folder>, \"from\", 3</folder>, \"to\", 0) = 0".
std::string RenamedOnto(const std::string& line) {
    static const std::regex plain(R"re(rename\("[^"]*", "([^"]+)"\)\s+=\s+0)re");
    static const std::regex relative(R"re(renameat2?\(.*, (?:\d+<([^>]+)>|AT_FDCWD), "([^"]+)"(?:, \w+)?\)\s+=\s+0)re");
    std::smatch match;
    if (std::regex_search(line, match, plain)) return match[1];
    if (!std::regex_search(line, match, relative)) return std::string();
    std::string name = match[2];
    return name.starts_with('/') || !match[1].matched ? name : std::string(match[1]) + "/" + name;
}

TracedFiles ReadTrace(const std::string& trace) {
    static const std::regex syncLine(R"re(f(?:data)?sync\(\d+<([^>]+)>\)\s+=\s+0)re");
    TracedFiles files;
    std::istringstream lines(trace);
    std::string line;
    for (size_t number = 0; std::getline(lines, line); ++number) {
        std::smatch match;
        if (std::string file = RenamedOnto(line); !file.empty()) {
            files.lastReplaced[file] = number;
            ++files.renames;
        } else if (std::regex_search(line, match, syncLine)) {
            files.lastSynced[match[1]] = number;
            ++files.syncs;
        }
    }
    return files;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

bool IsRecord(const std::string& path) {
    return path.ends_with("/system.reg") || path.ends_with("/user.reg") || path.ends_with(".ini");
}

}  // namespace

TEST_F(InstallerTest, RecordsAreSyncedOnceCompleteNotOnEveryValue) {
    if (access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace is not installed (scripts/setup.sh installs it)";
    std::string trace = folder_ + "/install.trace";
    ProcessResult run = RunInstaller({"-f", "-y", "-qq", "-o", trace, "-e",
                                      "trace=fsync,fdatasync,rename,renameat,renameat2", QuietInstaller(folder_),
                                      "slient"},
                                     "/usr/bin/strace");
    if (run.exitCode != 0 && run.errors.find("ptrace") != std::string::npos)
        GTEST_SKIP() << "tracing is not allowed here: " << run.errors;
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    TracedFiles files = ReadTrace(ReadWholeFile(trace));
    size_t records = 0;
    for (const auto& [file, replaced] : files.lastReplaced) {
        if (!IsRecord(file)) continue;
        ++records;
        SCOPED_TRACE(file);
        ASSERT_TRUE(files.lastSynced.count(file)) << "never synced";
        EXPECT_GT(files.lastSynced[file], replaced) << "synced before its last replacement";
        ASSERT_TRUE(files.lastSynced.count(FolderOf(file))) << "its folder never synced";
        EXPECT_GT(files.lastSynced[FolderOf(file)], replaced) << "folder synced before the last replacement";
    }
    EXPECT_GE(records, 3u) << "the hives and the user configuration";
    EXPECT_LT(files.syncs, files.renames) << files.syncs << " syncs for " << files.renames << " replacements";
    RecordProperty("syncs", static_cast<int>(files.syncs));
    RecordProperty("renames", static_cast<int>(files.renames));
}
