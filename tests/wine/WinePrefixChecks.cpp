// Wine checks our prefix: after a silent install in a fresh prefix, Wine
// opened on the same prefix reads the registry records the install wrote,
// loads its shell links, carries out the operations it left for the restart
// and sees the attributes and rights of the installed tree; and wincompat
// still reads the hives Wine saved. Without wine64 or the MinGW build of
// prefix-probe the whole program reports itself skipped (exit code 77).
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"
#include "wine/PrefixReading.h"
#include "wine/RegistryRecords.h"

#include "prefix/Prefix.h"

#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

namespace {

const wchar_t kInstallFolder[] = L"C:\\Program Files (x86)\\Velmora";

// The key of PendingFileRenameOperations, in whichever control set it is stored.
bool IsSessionManager(const std::wstring& upperKey) {
    const std::wstring suffix = L"\\CONTROL\\SESSION MANAGER";
    return upperKey.size() > suffix.size() && upperKey.compare(upperKey.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Keys that are registry links (CurrentControlSet, Wow6432Node\Classes): the
// prefix's layout, which Wine keeps as links of its own, not records.
bool IsLink(const RegistryKeyRecords& key) {
    return key.values.size() == 1 && key.values[0].type == REG_LINK;
}

// Keys the install's records are compared on.
bool IsRecord(const std::wstring& upperKey, const RegistryKeyRecords& key) {
    return !IsSessionManager(upperKey) && !IsLink(key);
}

// Generic rights as the specific file rights they stand for.
DWORD MapGenericFileRights(DWORD access) {
    DWORD mapped = access & ~(GENERIC_ALL | GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
    if (access & GENERIC_ALL) mapped |= FILE_ALL_ACCESS;
    if (access & GENERIC_READ) mapped |= FILE_GENERIC_READ;
    if (access & GENERIC_WRITE) mapped |= FILE_GENERIC_WRITE;
    if (access & GENERIC_EXECUTE) mapped |= FILE_GENERIC_EXECUTE;
    return mapped;
}

std::wstring Wide(const std::string& text) { return wincompat::WideFromUtf8(text); }
std::string Narrow(const std::wstring& text) { return wincompat::Utf8FromWide(text); }

std::vector<std::wstring> Shortcuts() {
    const std::wstring menu = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Orvanti文件数据恢复\\";
    return {menu + L"Orvanti文件数据恢复.lnk", menu + L"卸载.lnk", L"C:\\Users\\Public\\Desktop\\Orvanti文件数据恢复.lnk"};
}

std::vector<std::wstring> Split(const std::wstring& line, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::wistringstream stream(line);
    std::wstring part;
    while (std::getline(stream, part, separator)) parts.push_back(part);
    if (!line.empty() && line.back() == separator) parts.emplace_back();
    return parts;
}

// Runs the installer in the test's prefix while `holder` keeps the temporary
// archive mapped as a library does, so that the install moves it aside and
// leaves its deletion for the restart.
int InstallWithHeldArchive(const std::string& archive) {
    pid_t holder = fork();
    if (holder == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        std::string program = BuildFile("wincompat-hold");
        execl(program.c_str(), program.c_str(), archive.c_str(), "--image", nullptr);
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int exitCode = RunProcess({BuildFile("velmora-setup"), "slient"}).exitCode;
    kill(holder, SIGTERM);
    waitpid(holder, nullptr, 0);
    return exitCode;
}

// What the prefix holds as wincompat reads it, and what Wine made of it.
struct Observations {
    std::string problem;  // set when the install or Wine could not run
    std::string login;
    RegistryRecords ours, oursAfterWine;
    std::vector<TreeEntry> tree;
    std::map<std::wstring, LinkFields> links;
    std::wstring pending;  // PendingFileRenameOperations as recorded, NULs included
    RegistryRecords wineExports;
    std::vector<std::wstring> probeLines;
    std::string query32;
};

class WinePrefix : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static Observations* seen_;

    void SetUp() override { ASSERT_TRUE(seen_->problem.empty()) << seen_->problem; }

private:
    static std::map<std::string, std::string> WineEnvironment();
    static ProcessResult RunWine(const std::vector<std::string>& arguments);
    static void ReadOurSide(Observations& seen);
    static void ReadWineSide(Observations& seen);
    static std::string folder_;
};

Observations* WinePrefix::seen_ = nullptr;
std::string WinePrefix::folder_;

std::map<std::string, std::string> WinePrefix::WineEnvironment() {
    // Wine links the profile's Desktop and Documents to $HOME: keep them in the test's folder.
    return {{"HOME", folder_ + "/home"}, {"WINEPREFIX", TestPrefixRoot()}, {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "mscoree,mshtml="}, {"LC_ALL", "C.UTF-8"}};
}

ProcessResult WinePrefix::RunWine(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {VELMORA_WINE64};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProcess(command, WineEnvironment(), 300);
}

void WinePrefix::ReadOurSide(Observations& seen) {
    seen.ours = ReadPrefixRecords(TestPrefixRoot());
    for (const auto& [upper, key] : seen.ours) {
        if (!IsSessionManager(upper)) continue;
        for (const RegistryRecord& value : key.values)
            if (UpperCase(value.name) == L"PENDINGFILERENAMEOPERATIONS")
                for (size_t i = 0; i + 1 < value.data.size(); i += 2)
                    seen.pending += static_cast<wchar_t>(value.data[i] | (value.data[i + 1] << 8));
    }
    seen.tree = ListTree(kInstallFolder);
    CoInitialize(nullptr);
    for (const std::wstring& link : Shortcuts()) seen.links[link] = ReadLink(link);
    CoUninitialize();
}

void WinePrefix::ReadWineSide(Observations& seen) {
    ProcessResult boot = RunWine({"wineboot", "-r"});
    if (boot.exitCode != 0) {
        seen.problem = "wineboot -r failed: " + boot.errors;
        return;
    }
    std::vector<std::string> probe = {BuildFile("prefix-probe.exe")};
    for (const std::wstring& link : Shortcuts()) probe.push_back("link:" + Narrow(link));
    probe.push_back("tree:" + Narrow(kInstallFolder));
    for (const std::wstring& line : Split(Wide(RunWine(probe).output), L'\n'))
        if (!line.empty()) seen.probeLines.push_back(line.back() == L'\r' ? line.substr(0, line.size() - 1) : line);
    int index = 0;
    for (const auto& [upper, key] : seen.ours) {
        if (!IsRecord(upper, key)) continue;
        std::string file = folder_ + "/export-" + std::to_string(++index) + ".reg";
        RunWine({"reg", "export", Narrow(key.key), Narrow(L"Z:" + Wide(file)), "/y"});
        for (auto& [name, records] : ParseRegExport(ReadWholeFile(file))) seen.wineExports[name] = records;
    }
    seen.query32 = RunWine({"reg", "query", "HKLM\\Software\\Velmora", "/s", "/reg:32"}).output;
    // Wine keeps the registry in memory and saves it when its server ends.
    RunProcess({VELMORA_WINESERVER, "-w"}, WineEnvironment(), 120);
    seen.oursAfterWine = ReadPrefixRecords(TestPrefixRoot());
}

void WinePrefix::SetUpTestSuite() {
    seen_ = new Observations;
    folder_ = MakeTestFolder("wine");
    mkdir((folder_ + "/home").c_str(), 0777);
    const passwd* entry = getpwuid(geteuid());
    seen_->login = entry ? entry->pw_name : "user";
    ProcessResult install = RunProcess({BuildFile("velmora-setup"), "slient"});
    if (install.exitCode != 0) {
        seen_->problem = "the silent install failed:\n" + install.output + install.errors;
        return;
    }
    std::string archive = TestPrefixRoot() + "/drive_c/users/" + seen_->login + "/AppData/Local/Temp/step_Velmora.tmp";
    if (InstallWithHeldArchive(archive) != 0) {
        seen_->problem = "the install beside a held archive failed";
        return;
    }
    // Attributes of our own beside the install's, so that every stored kind is seen.
    std::wstring folder = kInstallFolder;
    SetFileAttributesW((folder + L"\\ReadMe.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW((folder + L"\\License.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesW((folder + L"\\Help").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ReadOurSide(*seen_);
    ReadWineSide(*seen_);
}

void WinePrefix::TearDownTestSuite() {
    RunProcess({VELMORA_WINESERVER, "-k"}, WineEnvironment(), 60);
    RunProcess({VELMORA_WINESERVER, "-w"}, WineEnvironment(), 60);
    delete seen_;
    seen_ = nullptr;
}

std::string Describe(const RegistryKeyRecords& key) {
    std::string text = Narrow(key.key) + "\n";
    for (const RegistryRecord& value : key.values) text += "  " + DescribeRecord(value) + "\n";
    return text;
}

// Both hold the same values, names compared without regard to case.
bool SameValues(const RegistryKeyRecords& a, const RegistryKeyRecords& b) {
    if (a.values.size() != b.values.size()) return false;
    for (const RegistryRecord& value : a.values) {
        bool found = false;
        for (const RegistryRecord& other : b.values)
            found = found || (UpperCase(value.name) == UpperCase(other.name) && value.type == other.type &&
                              value.data == other.data);
        if (!found) return false;
    }
    return true;
}

}  // namespace

TEST_F(WinePrefix, WineReadsEveryRegistryRecordTheInstallWrote) {
    ASSERT_FALSE(seen_->ours.empty());
    for (const auto& [upper, key] : seen_->ours) {
        if (!IsRecord(upper, key)) continue;  // pending operations are carried out and removed by the restart
        auto wine = seen_->wineExports.find(upper);
        ASSERT_NE(wine, seen_->wineExports.end()) << "Wine's reg export lacks " << Describe(key);
        EXPECT_TRUE(SameValues(key, wine->second)) << "ours:\n" << Describe(key) << "Wine's:\n" << Describe(wine->second);
    }
}

// Wine's reg.exe, as a 32-bit program sees the registry, finds the product
// key where the install left it: the 32-bit view is the same on both sides.
TEST_F(WinePrefix, RegQueryFindsTheRecordsInThe32BitView) {
    for (const char* line : {"HKEY_LOCAL_MACHINE\\Software\\Velmora\r\n",
                             "    InstallPath    REG_SZ    C:\\Program Files (x86)\\Velmora\\\r\n",
                             "HKEY_LOCAL_MACHINE\\Software\\Velmora\\AppInfo\r\n",
                             "    AppVersion    REG_SZ    1.0.1.2016\r\n"})
        EXPECT_NE(seen_->query32.find(line), std::string::npos) << line << "\n" << seen_->query32;
}

TEST_F(WinePrefix, ShortcutsLoadWithTheSameTargets) {
    std::map<std::wstring, std::vector<std::wstring>> wine;
    for (const std::wstring& line : seen_->probeLines) {
        std::vector<std::wstring> parts = Split(line, L'\t');
        if (parts.size() == 6 && parts[0] == L"link") wine[UpperCase(parts[1])] = parts;
    }
    for (const auto& [path, ours] : seen_->links) {
        ASSERT_EQ(ours.result, S_OK) << Narrow(path);
        EXPECT_EQ(ours.target.rfind(L"C:\\Program Files (x86)\\Velmora\\", 0), 0u) << Narrow(ours.target);
        auto found = wine.find(UpperCase(path));
        ASSERT_NE(found, wine.end()) << "no answer from Wine for " << Narrow(path);
        const std::vector<std::wstring>& theirs = found->second;
        EXPECT_EQ(theirs[2], L"0") << Narrow(path) << ": IPersistFile::Load failed under Wine";
        EXPECT_EQ(theirs[3], ours.target) << Narrow(path);
        EXPECT_EQ(theirs[4], ours.arguments) << Narrow(path);
        EXPECT_EQ(theirs[5], ours.folder) << Narrow(path);
    }
}

TEST_F(WinePrefix, RestartCarriesOutThePendingOperations) {
    const std::wstring& recorded = seen_->pending;
    std::wstring expected = L"\\??\\C:\\Users\\" + Wide(seen_->login) + L"\\AppData\\Local\\Temp\\step_Velmora.tmp.remove";
    ASSERT_EQ(recorded.find(expected + std::wstring(2, L'\0')), 0u) << Narrow(recorded);
    std::string unixPath =
        TestPrefixRoot() + "/drive_c/users/" + seen_->login + "/AppData/Local/Temp/step_Velmora.tmp.remove";
    struct stat info;
    EXPECT_NE(stat(unixPath.c_str(), &info), 0) << "wineboot -r left " << unixPath;
    for (const auto& [upper, key] : seen_->oursAfterWine) {
        if (!IsSessionManager(upper)) continue;
        for (const RegistryRecord& value : key.values)
            EXPECT_NE(UpperCase(value.name), L"PENDINGFILERENAMEOPERATIONS") << "the value outlived the restart";
    }
}

// Every entry of the installed tree, with the attributes and rights we stored
// (the install grants Everyone full control on all of it). Wine shows every
// file as ARCHIVE, and derives rights from the unix mode, which cannot hold
// WRITE_DAC or WRITE_OWNER: full control reads as the rest, and as read and
// execute only on a read-only file, whose write bits the attribute took.
TEST_F(WinePrefix, AttributesAndRightsAsStored) {
    std::map<std::wstring, std::pair<DWORD, DWORD>> wine;
    for (const std::wstring& line : seen_->probeLines) {
        std::vector<std::wstring> parts = Split(line, L'\t');
        if (parts.size() == 4 && parts[0] == L"entry")
            wine[UpperCase(parts[1])] = {std::stoul(parts[2], nullptr, 16), std::stoul(parts[3], nullptr, 16)};
    }
    ASSERT_GT(seen_->tree.size(), 3u);
    EXPECT_EQ(wine.size(), seen_->tree.size());
    const DWORD ownershipRights = WRITE_DAC | WRITE_OWNER;
    const DWORD readOnlyRights = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;  // read-only takes the write bits
    for (const TreeEntry& ours : seen_->tree) {
        auto found = wine.find(UpperCase(ours.path));
        ASSERT_NE(found, wine.end()) << "Wine does not list " << Narrow(ours.path);
        DWORD expected = ours.attributes;
        if (!(expected & FILE_ATTRIBUTE_DIRECTORY)) expected = (expected & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE;
        EXPECT_EQ(found->second.first, expected) << Narrow(ours.path);
        DWORD granted = MapGenericFileRights(ours.everyoneAccess);
        EXPECT_EQ(granted, static_cast<DWORD>(FILE_ALL_ACCESS)) << Narrow(ours.path);
        DWORD derived = (ours.attributes & FILE_ATTRIBUTE_READONLY) ? readOnlyRights : granted & ~ownershipRights;
        EXPECT_EQ(found->second.second, derived) << Narrow(ours.path);
    }
}

// The hives Wine saved read back in wincompat with every record intact.
TEST_F(WinePrefix, WincompatReadsTheHivesWineSaved) {
    for (const auto& [upper, key] : seen_->ours) {
        if (!IsRecord(upper, key)) continue;
        auto after = seen_->oursAfterWine.find(upper);
        ASSERT_NE(after, seen_->oursAfterWine.end()) << "lost after Wine saved the hive: " << Describe(key);
        EXPECT_TRUE(SameValues(key, after->second)) << "before:\n" << Describe(key) << "after:\n" << Describe(after->second);
    }
}

int main(int argc, char** argv) {
    if (access(VELMORA_WINE64, X_OK) != 0 || access(VELMORA_WINESERVER, X_OK) != 0) {
        printf("skipped: wine64 not installed\n");
        return 77;
    }
    if (access(BuildFile("prefix-probe.exe").c_str(), R_OK) != 0) {
        printf("skipped: x86_64-w64-mingw32-g++ not installed, so there is no prefix-probe.exe\n");
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
