// Damaged hive files, the standard keys a hive always gets, and the
// temporaries killed writers leave: what the store makes of each.
#include <winerror.h>

#include "prefix/RegistryFormat.h"
#include "prefix/RegistryPath.h"
#include "prefix/RegistryStore.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace wincompat;

namespace {

const char kHeader[] = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// Printable junk whose lines look like keys and values but are none.
std::string PrintableJunk() {
    std::string junk;
    for (int i = 0; i < 200; ++i)
        junk += "[Garbage\\\\" + std::to_string(i) + " no end\nnot a value " + std::to_string(i) + "\n";
    return junk;
}

LONG ReadNothing(RegistryStore& store) {
    return store.Read(Hive::LocalMachine, [](const RegistryKey&) { return static_cast<LONG>(ERROR_SUCCESS); });
}

LONG AddTestKey(RegistryStore& store) {
    return store.Write(Hive::LocalMachine, [](RegistryKey& root, bool& changed) {
        root.AddSubkey(L"Test").SetValue(L"a", 4, {1, 0, 0, 0});
        changed = true;
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

void CollectKeys(const RegistryKey& key, const std::wstring& path, std::set<std::wstring>& paths) {
    for (const auto& subkey : key.subkeys) {
        std::wstring name = path.empty() ? subkey->name : path + L"\\" + subkey->name;
        paths.insert(name);
        CollectKeys(*subkey, name, paths);
    }
}

// Every key path of a hive file, which must read without damage.
std::set<std::wstring> KeysOfFile(const std::string& path) {
    ParseReport report;
    RegistryKey root = ParseHive(ReadWholeFile(path), report);
    EXPECT_FALSE(report.Damaged()) << path << ": " << report.firstProblem;
    std::set<std::wstring> paths;
    CollectKeys(root, L"", paths);
    return paths;
}

// The keys a hive made from nothing has.
std::set<std::wstring> FreshKeys() {
    std::string folder = MakeTestFolder("repair-fresh");
    RegistryStore store(folder);
    ReadNothing(store);
    return KeysOfFile(folder + "/system.reg");
}

bool HasKey(RegistryStore& store, const KeyPath& path) {
    return store.Read(Hive::LocalMachine, [&](const RegistryKey& root) -> LONG {
        return FindKey(root, Hive::LocalMachine, path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }) == ERROR_SUCCESS;
}

struct Identity {
    ino_t inode = 0;
    timespec modified = {};
    bool operator==(const Identity& other) const {
        return inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

Identity IdentityOf(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return {};
    return {info.st_ino, info.st_mtim};
}

}  // namespace

// Files that are no hive: set aside whole, byte for byte, and a fresh hive
// with only the standard keys starts; no junk becomes a key.
TEST(RegistryRepair, FileThatIsNoHiveIsSetAsideWholeAndAFreshHiveStarts) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"64 KB of zeros", std::string(65536, '\0')},
        {"random bytes", RandomBytes(65536, 1)},
        {"a header followed by random bytes", kHeader + RandomBytes(65536, 2)},
        {"a header followed by printable junk", kHeader + PrintableJunk()},
        {"a header in the wrong case", "wine registry version 2\n\n[Software\\\\X]\n\"a\"=\"1\"\n"},
        {"a byte-order mark before the header", "\xef\xbb\xbf" + std::string(kHeader) + "\n[Software\\\\X]\n"},
    };
    const std::set<std::wstring> fresh = FreshKeys();
    for (const Case& c : cases) {
        std::string folder = MakeTestFolder("repair-nohive");
        std::string hive = folder + "/system.reg";
        WriteWholeFile(hive, c.bytes);
        WriteWholeFile(hive + ".damaged", "an older damaged hive");
        RegistryStore store(folder);
        testing::internal::CaptureStderr();
        EXPECT_TRUE(HasKey(store, {L"Software", L"Microsoft", L"Windows", L"CurrentVersion", L"Uninstall"}))
            << c.what;
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find(hive + ".damaged"), std::string::npos) << c.what << ": " << message;
        EXPECT_EQ(ReadWholeFile(hive + ".damaged"), c.bytes) << c.what;
        EXPECT_EQ(KeysOfFile(hive), fresh) << c.what;
        ASSERT_EQ(AddTestKey(store), ERROR_SUCCESS) << c.what;
        EXPECT_EQ(ReadWholeFile(hive + ".damaged"), c.bytes) << c.what << ": the copy is taken once";
    }
}

// A file far larger than any hive is set aside without being read into memory.
TEST(RegistryRepair, FileLargerThanAnyHiveIsSetAsideUnread) {
    std::string folder = MakeTestFolder("repair-huge");
    std::string hive = folder + "/system.reg";
    WriteWholeFile(hive, kHeader);
    ASSERT_EQ(truncate(hive.c_str(), 300LL << 20), 0);  // sparse: costs no disk
    Identity before = IdentityOf(hive);
    RegistryStore store(folder);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AddTestKey(store), ERROR_SUCCESS);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(IdentityOf(hive + ".damaged") == before);
    EXPECT_EQ(KeysOfFile(hive).count(L"Test"), 1u);
}

// Never through a link: a planted .damaged link is replaced, not written
// through, and a hive that is a link has the link set aside, not its target.
TEST(RegistryRepair, SettingAsideNeverWritesThroughLinks) {
    std::string folder = MakeTestFolder("repair-links");
    std::string outside = folder + "/outside.txt", target = folder + "/target.txt";
    std::string prefix = folder + "/prefix";
    mkdir(prefix.c_str(), 0777);
    WriteWholeFile(outside, "must stay");
    WriteWholeFile(target, "junk that a link names");
    ASSERT_EQ(symlink(target.c_str(), (prefix + "/system.reg").c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), (prefix + "/system.reg.damaged").c_str()), 0);
    RegistryStore store(prefix);
    testing::internal::CaptureStderr();
    ASSERT_EQ(AddTestKey(store), ERROR_SUCCESS);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadWholeFile(outside), "must stay");
    EXPECT_EQ(ReadWholeFile(target), "junk that a link names");
    char link[4096] = {};
    EXPECT_GT(readlink((prefix + "/system.reg.damaged").c_str(), link, sizeof link - 1), 0);
    EXPECT_EQ(std::string(link), target);
    struct stat info;
    ASSERT_EQ(lstat((prefix + "/system.reg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(KeysOfFile(prefix + "/system.reg").count(L"Test"), 1u);
}

// A folder or a FIFO where the hive belongs is no file to read: nothing
// blocks, nothing is replaced, and writes fail with an error.
TEST(RegistryRepair, HiveThatIsNoFileIsLeftAloneAndWritesFail) {
    for (bool fifo : {false, true}) {
        std::string folder = MakeTestFolder("repair-nofile");
        std::string hive = folder + "/system.reg";
        ASSERT_EQ(fifo ? mkfifo(hive.c_str(), 0644) : mkdir(hive.c_str(), 0755), 0);
        RegistryStore store(folder);
        testing::internal::CaptureStderr();
        EXPECT_EQ(ReadNothing(store), ERROR_SUCCESS) << fifo;
        EXPECT_NE(AddTestKey(store), ERROR_SUCCESS) << fifo;
        testing::internal::GetCapturedStderr();
        struct stat info;
        ASSERT_EQ(lstat(hive.c_str(), &info), 0);
        EXPECT_TRUE(fifo ? S_ISFIFO(info.st_mode) : S_ISDIR(info.st_mode));
        EXPECT_NE(access((hive + ".damaged").c_str(), F_OK), 0);
    }
}

// The standard keys are added to a hive that lacks them, keeping its keys;
// a hive that has them all is read without being rewritten.
TEST(RegistryRepair, StandardKeysAreEnsuredAtLoadWithoutNeedlessRewrites) {
    std::string folder = MakeTestFolder("repair-standard");
    std::string hive = folder + "/system.reg";
    WriteWholeFile(hive, std::string(kHeader) + "\n[Software\\\\Own] 1700000000\n\"a\"=\"1\"\n");
    {
        RegistryStore store(folder);
        EXPECT_TRUE(HasKey(store, {L"Software", L"Own"}));
    }
    std::set<std::wstring> keys = KeysOfFile(hive);
    for (const wchar_t* path : {L"Software\\Own", L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                L"System\\ControlSet001\\Control\\Session Manager", L"System\\CurrentControlSet"})
        EXPECT_EQ(keys.count(path), 1u) << path;
    EXPECT_NE(access((hive + ".damaged").c_str(), F_OK), 0) << "nothing was damaged";

    std::string text = ReadWholeFile(hive);
    Identity before = IdentityOf(hive);
    RegistryStore again(folder);
    EXPECT_TRUE(HasKey(again, {L"System", L"CurrentControlSet", L"Control", L"Session Manager"}));
    EXPECT_TRUE(HasKey(again, {L"Software", L"Wow6432Node", L"Classes"}));
    EXPECT_TRUE(IdentityOf(hive) == before);
    EXPECT_EQ(ReadWholeFile(hive), text);
}

// Temporaries of killed writers go at the next write; entries that only
// look like them stay.
TEST(RegistryRepair, NextWriterRemovesOnlyAbandonedTemporaries) {
    std::string folder = MakeTestFolder("repair-temporaries");
    std::string outside = folder + "/outside.txt";
    std::string prefix = folder + "/prefix";
    mkdir(prefix.c_str(), 0777);
    WriteWholeFile(outside, "kept");
    for (const char* abandoned : {"system.reg.AbC123", "user.reg.zz9Z00"})
        WriteWholeFile(prefix + "/" + abandoned, "half a hive");
    const char* kept[] = {"system.reg.AbC12", "system.reg.AbC1234", "system.reg.ab-123", "system.reg.damaged",
                          "other.reg.abcdef", "system.reg.Lnk123", "system.reg.Dir123"};
    for (const char* name : kept) WriteWholeFile(prefix + "/" + name, "not ours");
    unlink((prefix + "/system.reg.Lnk123").c_str());
    ASSERT_EQ(symlink(outside.c_str(), (prefix + "/system.reg.Lnk123").c_str()), 0);
    unlink((prefix + "/system.reg.Dir123").c_str());
    ASSERT_EQ(mkdir((prefix + "/system.reg.Dir123").c_str(), 0755), 0);

    RegistryStore store(prefix);
    ASSERT_EQ(AddTestKey(store), ERROR_SUCCESS);
    EXPECT_NE(access((prefix + "/system.reg.AbC123").c_str(), F_OK), 0);
    EXPECT_NE(access((prefix + "/user.reg.zz9Z00").c_str(), F_OK), 0);
    for (const char* name : kept) {
        struct stat info;
        EXPECT_EQ(lstat((prefix + "/" + name).c_str(), &info), 0) << name;
    }
    EXPECT_EQ(ReadWholeFile(outside), "kept");
}

// The user's hive follows the same rules as the machine's.
TEST(RegistryRepair, DamagedUserHiveIsSetAsideToo) {
    std::string folder = MakeTestFolder("repair-user");
    std::string hive = folder + "/user.reg";
    std::string junk = "WINE REGISTRY Version 2\n" + RandomBytes(4096, 3);
    WriteWholeFile(hive, junk);
    RegistryStore store(folder);
    testing::internal::CaptureStderr();
    EXPECT_EQ(store.Read(Hive::CurrentUser, [](const RegistryKey& root) -> LONG {
        return FindKey(root, Hive::CurrentUser, {L"Software", L"Microsoft", L"Windows", L"CurrentVersion"})
                   ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }), ERROR_SUCCESS);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadWholeFile(hive + ".damaged"), junk);
    EXPECT_TRUE(ReadWholeFile(hive).starts_with("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User"));
}
