// The process list while processes end under it: reads of /proc entries
// that fail half-way (made certain by a preloaded shim) and real churn, with
// processes started and ending beside the snapshots.
#include <windows.h>
#include <tlhelp32.h>

#include "support/ProcessRunner.h"
#include "support/RunningProgram.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// The shim may be preloaded before a sanitizer's runtime.
std::string SanitizerOptions() {
    const char* options = getenv("ASAN_OPTIONS");
    return std::string(options ? options : "") + ":verify_asan_link_order=0";
}

ProcessResult SnapshotWithFailingReads(const std::string& failingPrefix) {
    return RunProcess({BuildFile("process-probe"), "snapshot"},
                      {{"WINCOMPAT_PREFIX", TestPrefixRoot()},
                       {"LD_PRELOAD", BuildFile("libproc_read_failure.so")},
                       {"PROC_READ_FAILURE", failingPrefix},
                       {"ASAN_OPTIONS", SanitizerOptions()}});
}

}  // namespace

TEST(ProcessChurn, EntriesThatFailMidReadAreLeftOutNeverFatal) {
    RunningProgram sibling(BuildFile("process-probe"));
    ASSERT_TRUE(sibling.Started());
    struct Case {
        const char* name;
        std::string failing;
        bool listsItself;
    };
    const Case cases[] = {
        {"one process's entries", "/proc/" + std::to_string(sibling.Id()) + "/", true},
        {"every process's status", "/proc/", false},
        {"nothing", "/nowhere/", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProcessResult run = SnapshotWithFailingReads(c.failing);
        EXPECT_EQ(run.signal, 0) << run.errors;
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_NE(run.output.find("entries="), std::string::npos) << run.output << run.errors;
        if (c.listsItself) {
            EXPECT_NE(run.output.find("self=1"), std::string::npos) << run.output;
        }
    }
}

// Short-lived processes of this prefix start and end while snapshots are
// walked: every walk completes and finds this process.
TEST(ProcessChurn, SnapshotsWalkWhileProcessesComeAndGo) {
    std::atomic<bool> stop{false};
    auto churn = [&] {
        while (!stop) RunProcess({BuildFile("process-probe"), "exit", "0"}, {{"PROBE_REPORT", "/dev/null"}});
    };
    std::thread first(churn), second(churn);
    for (int walk = 0; walk < 200; ++walk) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        bool self = false;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            self = self || entry.th32ProcessID == GetCurrentProcessId();
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        CloseHandle(snapshot);
        EXPECT_TRUE(self) << "walk " << walk;
    }
    stop = true;
    first.join();
    second.join();
}
