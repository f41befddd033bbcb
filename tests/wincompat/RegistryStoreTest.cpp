// The hive files on disk: creation, re-reading, writers in several
// processes, and damaged files.
#include <winerror.h>

#include "prefix/RegistryFormat.h"
#include "prefix/RegistryStore.h"
#include "support/TestPrefix.h"

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace wincompat;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.' || entry->d_name[1] == 'r') names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

LONG AddKey(RegistryStore& store, const std::wstring& name) {
    return store.Write(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
        root.AddSubkey(L"Test").AddSubkey(name).SetValue(L"Name", 4, {1, 0, 0, 0});
        changed = true;
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

bool HasKey(RegistryStore& store, const std::wstring& name) {
    return store.Read(Hive::LocalMachine, [&](const RegistryKey& root) -> LONG {
        const RegistryKey* test = root.FindSubkey(L"Test");
        return test && test->FindSubkey(name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }) == ERROR_SUCCESS;
}

size_t TestKeys(const std::string& hiveText) {
    ParseReport report;
    RegistryKey root = ParseHive(hiveText, report);
    const RegistryKey* test = root.FindSubkey(L"Test");
    return test ? test->subkeys.size() : 0;
}

// Reads the hive file over and over until `done` exists; fails on a torn file.
int ReadUntilDone(const std::string& hive, const std::string& done) {
    while (access(done.c_str(), F_OK) != 0) {
        std::string text = ReadFile(hive);
        ParseReport report;
        ParseHive(text, report);
        if (!text.empty() && report.Damaged()) return 1;
    }
    return 0;
}

}  // namespace

TEST(RegistryStore, CreatesMissingHivesWithTheirHeader) {
    std::string folder = MakeTestFolder("store-create");
    RegistryStore store(folder);
    EXPECT_EQ(store.Read(Hive::CurrentUser, [](const RegistryKey&) { return static_cast<LONG>(ERROR_SUCCESS); }),
              ERROR_SUCCESS);
    EXPECT_TRUE(ReadFile(folder + "/user.reg").starts_with("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY"));
    EXPECT_TRUE(FolderEntries(folder) == (std::vector<std::string>{".registry.lock", "user.reg"}));
}

TEST(RegistryStore, SeesAndKeepsChangesMadeByAnotherStore) {
    std::string folder = MakeTestFolder("store-share");
    RegistryStore first(folder), second(folder);
    ASSERT_EQ(AddKey(first, L"One"), ERROR_SUCCESS);
    EXPECT_TRUE(HasKey(second, L"one"));
    ASSERT_EQ(AddKey(second, L"Two"), ERROR_SUCCESS);
    ASSERT_EQ(AddKey(first, L"Three"), ERROR_SUCCESS);  // on top of Two, which it has not read yet
    EXPECT_TRUE(HasKey(second, L"Two") && HasKey(second, L"Three") && HasKey(first, L"One"));
}

TEST(RegistryStore, WritersInSeveralProcessesLoseNothingAndReadersNeverSeeTornFiles) {
    std::string folder = MakeTestFolder("store-processes");
    const int writers = 4, keysEach = 25;
    { RegistryStore store(folder); AddKey(store, L"Padding"); }
    std::vector<pid_t> children;
    pid_t reader = fork();
    if (reader == 0) _exit(ReadUntilDone(folder + "/system.reg", folder + "/done"));
    for (int w = 0; w < writers; ++w) {
        pid_t child = fork();
        if (child == 0) {
            RegistryStore store(folder);
            for (int k = 0; k < keysEach; ++k)
                if (AddKey(store, L"W" + std::to_wstring(w) + L"K" + std::to_wstring(k)) != ERROR_SUCCESS) _exit(1);
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    WriteFile(folder + "/done", "");
    int status = -1;
    waitpid(reader, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a reader saw a partial hive";
    EXPECT_EQ(TestKeys(ReadFile(folder + "/system.reg")), 1u + writers * keysEach);
    EXPECT_TRUE(FolderEntries(folder) == (std::vector<std::string>{".registry.lock", "done", "system.reg"}));
}

TEST(RegistryStore, KeepsReadableKeysOfADamagedHiveAndACopyOfIt) {
    std::string folder = MakeTestFolder("store-damaged");
    std::string hive = folder + "/system.reg";
    const char junk[] = "\x00\x01\xff junk\n\"cut\"=\"no end\n";
    std::string damaged = std::string("WINE REGISTRY Version 2\n\n[Test\\\\Before]\n\"a\"=\"1\"\n") +
                          std::string(junk, sizeof junk - 1) +
                          "\n[Test\\\\After]\n\"b\"=dword:00000002\n[Test\\\\Tr";
    WriteFile(hive, damaged);
    RegistryStore store(folder);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(HasKey(store, L"Before") && HasKey(store, L"After"));
    EXPECT_TRUE(HasKey(store, L"After"));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find(hive), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;

    ASSERT_EQ(AddKey(store, L"New"), ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(hive + ".damaged"), damaged);
    ParseReport report;
    RegistryKey root = ParseHive(ReadFile(hive), report);
    EXPECT_FALSE(report.Damaged()) << report.firstProblem;
    for (const wchar_t* name : {L"Before", L"After", L"New"})
        EXPECT_NE(root.FindSubkey(L"Test")->FindSubkey(name), nullptr) << name;
}
