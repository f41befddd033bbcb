// Tool-help process snapshots over real processes: the names they carry
// (ELF programs, #! scripts, long names, renamed and deleted files) and the
// other fields.
#include <windows.h>
#include <tlhelp32.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/RunningProgram.h"
#include "support/TestPrefix.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

namespace {

const char kPerlScript[] = "#!/usr/bin/perl\nsleep 30;\n";

std::optional<PROCESSENTRY32W> FindEntry(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    std::optional<PROCESSENTRY32W> found;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == pid) found = entry;
    EXPECT_TRUE(CloseHandle(snapshot));
    return found;
}

class ToolhelpTest : public testing::Test {
protected:
    std::string folder_ = MakeTestFolder("toolhelp");

    std::string Program(const std::string& name, bool script) {
        std::string path = folder_ + "/" + name;
        WriteWholeFile(path, script ? std::string(kPerlScript) : ReadWholeFile(BuildFile("process-probe")));
        chmod(path.c_str(), 0755);
        return path;
    }
};

TEST_F(ToolhelpTest, EntryNamesTheProgramFileTheProcessWasStartedFrom) {
    struct Case {
        const char* file;
        bool script;
        const char* afterStart;  // "rename" or "delete" the file while it runs
    };
    const Case cases[] = {
        {"Lumeno.exe", false, ""},
        {"AVeryLongProgramName.exe", false, ""},  // longer than the kernel's 15-byte comm
        {"Scripted.exe", true, ""},               // the interpreter is perl; the name is the script's
        {"AVeryLongScriptName.exe", true, ""},
        {"Before.exe", false, "rename"},          // the name it was started under stays
        {"Gone.exe", false, "delete"},
    };
    for (const Case& test : cases) {
        std::string path = Program(test.file, test.script);
        RunningProgram process(path);
        ASSERT_TRUE(process.Started()) << test.file << ": " << GetLastError();
        if (std::string(test.afterStart) == "rename") rename(path.c_str(), (folder_ + "/After.exe").c_str());
        if (std::string(test.afterStart) == "delete") unlink(path.c_str());
        std::optional<PROCESSENTRY32W> entry = FindEntry(process.Id());
        ASSERT_TRUE(entry) << test.file;
        EXPECT_EQ(wincompat::Utf8FromWide(entry->szExeFile), test.file);
        EXPECT_EQ(entry->th32ParentProcessID, GetCurrentProcessId());
        EXPECT_GE(entry->cntThreads, 1u);
    }
}

TEST_F(ToolhelpTest, ListsThisProcessWithItsThreadsAndNoEndedOnes) {
    bool stop = false;
    std::thread helper([&] {
        while (!__atomic_load_n(&stop, __ATOMIC_SEQ_CST)) Sleep(10);
    });
    std::optional<PROCESSENTRY32W> self = FindEntry(GetCurrentProcessId());
    __atomic_store_n(&stop, true, __ATOMIC_SEQ_CST);
    helper.join();
    ASSERT_TRUE(self);
    EXPECT_EQ(wincompat::Utf8FromWide(self->szExeFile), "wincompat_tests");  // exactly 15 bytes: comm may be cut
    EXPECT_GE(self->cntThreads, 2u);
    EXPECT_EQ(self->th32ParentProcessID, static_cast<DWORD>(getppid()));

    // Ended but still held by a handle: no longer listed, as on Windows.
    RunningProgram ended(Program("Ended.exe", false));
    ASSERT_TRUE(ended.Started());
    ASSERT_TRUE(TerminateProcess(ended.Process(), 1));
    ASSERT_EQ(WaitForSingleObject(ended.Process(), 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(FindEntry(ended.Id()));
}

TEST_F(ToolhelpTest, WalkReportsItsEndAndRefusesShortEntriesAndOtherSnapshots) {
    EXPECT_EQ(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));

    RunningProgram child(Program("Listed.exe", false));  // the machine's processes: this one and its child
    ASSERT_TRUE(child.Started());
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry{};
    entry.dwSize = 556;  // the 32-bit Windows size is smaller than this layout
    EXPECT_FALSE(Process32FirstW(snapshot, &entry));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) ++count;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_GE(count, 2);
    EXPECT_TRUE(Process32FirstW(snapshot, &entry));  // First starts over
    EXPECT_TRUE(CloseHandle(snapshot));
    EXPECT_FALSE(Process32FirstW(snapshot, &entry));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
