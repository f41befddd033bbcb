// The shortcut step: which shortcuts each option combination makes, where
// they point, the internet shortcut files, and folder chains.
#include "install/Shortcuts.h"

#include "BuildConfig.h"
#include "app/InstallOptions.h"
#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/StepOutcome.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::wstring kStartMenu = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Orvanti文件数据恢复\\";
const std::wstring kDesktopLink = L"C:\\Users\\Public\\Desktop\\Orvanti文件数据恢复.lnk";
const std::wstring kWebsite = VELMORA_WEBSITE_HOST L"/luping";

std::string UnixPath(const std::wstring& dosPath) {
    std::string unixPath;
    EXPECT_TRUE(wincompat::DosToUnix(dosPath, unixPath, nullptr, 0x7FFF));
    return unixPath;
}

bool Exists(const std::wstring& dosPath) { return fs::exists(UnixPath(dosPath)); }

void SetOrClear(const wchar_t* key, const wchar_t* value) {
    if (value)
        SetOption(key, value);
    else
        GetInstallOptions()->erase(key);
}

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override { StartAfresh(); }

    // No shortcuts, a fresh install folder, both options on.
    void StartAfresh() {
        static int counter = 0;
        fs::remove_all(UnixPath(kStartMenu));
        fs::remove(UnixPath(kDesktopLink));
        installFolder_ = L"C:\\Program Files (x86)\\Velmora-" + std::to_wstring(++counter) + L"\\";
        fs::create_directories(UnixPath(installFolder_));
        SetOption(L"IsStartmenu", L"1");
        SetOption(L"IsDesttopCut", L"1");
    }
    std::wstring installFolder_;
};

struct OptionCase {
    const char* name;
    const wchar_t* startMenu;  // nullptr: option absent
    const wchar_t* desktop;
    bool startMenuMade;
    bool desktopMade;
};

TEST_F(ShortcutsTest, OptionsChooseTheShortcuts) {
    const OptionCase cases[] = {
        {"both", L"1", L"1", true, true},
        {"start menu only", L"1", L"0", true, false},
        {"desktop only", L"0", L"1", false, true},
        {"neither", L"0", L"0", false, false},
        {"absent", nullptr, nullptr, false, false},
        {"empty", L"", L"", false, false},
        {"not numbers", L"yes", L"abc", false, false},
        {"numbers before text", L"7x", L" -1", true, true},
    };
    for (const OptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        StartAfresh();
        SetOrClear(L"IsStartmenu", c.startMenu);
        SetOrClear(L"IsDesttopCut", c.desktop);
        EXPECT_EQ(Outcome(CreateShortcuts(nullptr, installFolder_)), "done");
        EXPECT_EQ(Exists(kStartMenu + L"Orvanti文件数据恢复.lnk"), c.startMenuMade);
        EXPECT_EQ(Exists(kStartMenu + L"卸载.lnk"), c.startMenuMade);
        EXPECT_EQ(Exists(kStartMenu + L"访问官方网站.url"), c.startMenuMade);
        EXPECT_EQ(Exists(installFolder_ + L"访问官方网站.url"), c.startMenuMade);
        EXPECT_EQ(Exists(kDesktopLink), c.desktopMade);
    }
}

struct LinkCase {
    std::wstring link;
    std::wstring targetFile;
};

TEST_F(ShortcutsTest, LinksStartTheInstalledProgramsNormally) {
    ASSERT_EQ(Outcome(CreateShortcuts(nullptr, installFolder_)), "done");
    const LinkCase cases[] = {
        {kStartMenu + L"Orvanti文件数据恢复.lnk", L"Pellamor.exe"},
        {kStartMenu + L"卸载.lnk", L"Dravenko.exe"},
        {kDesktopLink, L"Pellamor.exe"},
    };
    bool lnkinfo = access("/usr/bin/lnkinfo", X_OK) == 0;
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(wincompat::Utf8FromWide(c.link));
        std::string bytes = ReadWholeFile(UnixPath(c.link));
        ASSERT_GT(bytes.size(), 0x44u);
        EXPECT_EQ(bytes[0x3C], SW_SHOWNORMAL);
        EXPECT_EQ(bytes[0x14], '\x83');  // ID list, link info, Unicode; no strings
        if (!lnkinfo) continue;
        ProcessResult result = RunProcess({"/usr/bin/lnkinfo", UnixPath(c.link)});
        EXPECT_NE(result.output.find(": " + wincompat::Utf8FromWide(installFolder_ + c.targetFile) + "\n"),
                  std::string::npos)
            << result.output;
    }
    if (!lnkinfo) GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed; the link targets were not read back";
}

TEST_F(ShortcutsTest, InternetShortcutHoldsTheFiveKeysInOrder) {
    SetOption(L"IsDesttopCut", L"0");
    ASSERT_EQ(Outcome(CreateShortcuts(nullptr, installFolder_)), "done");
    std::string expected = "[InternetShortcut]\r\nURL=" + wincompat::Utf8FromWide(kWebsite) +
                           "\r\nIconFile=C:\\Program Files (x86)\\Internet Explorer\\iexplore.exe\r\n"
                           "HotKey=0\r\nIDList=0\r\nIconIndex=0\r\n";
    EXPECT_EQ(ReadWholeFile(UnixPath(kStartMenu + L"访问官方网站.url")), expected);
    EXPECT_EQ(ReadWholeFile(UnixPath(installFolder_ + L"访问官方网站.url")), expected);
}

TEST_F(ShortcutsTest, EarlierFilesAreReplacedOrKept) {
    fs::create_directories(UnixPath(kStartMenu));
    WriteWholeFile(UnixPath(kStartMenu + L"访问官方网站.lnk"), "stale");
    WriteWholeFile(UnixPath(kStartMenu + L"卸载.lnk"), "stale");
    WriteWholeFile(UnixPath(kDesktopLink), "stale");
    WriteWholeFile(UnixPath(installFolder_ + L"访问官方网站.url"),
                   "[InternetShortcut]\r\nURL=http://old.example/\r\nModified=ABC\r\n[Extra]\r\nx=1\r\n");
    ASSERT_EQ(Outcome(CreateShortcuts(nullptr, installFolder_)), "done");
    EXPECT_FALSE(Exists(kStartMenu + L"访问官方网站.lnk"));
    EXPECT_EQ(ReadWholeFile(UnixPath(kStartMenu + L"卸载.lnk")).substr(0, 1), "L");
    EXPECT_EQ(ReadWholeFile(UnixPath(kDesktopLink)).substr(0, 1), "L");
    std::wstring url = installFolder_ + L"访问官方网站.url";
    WCHAR value[MAX_PATH] = {};
    GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"", value, MAX_PATH, url.c_str());
    EXPECT_EQ(std::wstring(value), kWebsite);
    GetPrivateProfileStringW(L"InternetShortcut", L"Modified", L"", value, MAX_PATH, url.c_str());
    EXPECT_EQ(std::wstring(value), L"ABC");
    GetPrivateProfileStringW(L"Extra", L"x", L"", value, MAX_PATH, url.c_str());
    EXPECT_EQ(std::wstring(value), L"1");
    GetPrivateProfileStringW(L"InternetShortcut", L"IconIndex", L"", value, MAX_PATH, url.c_str());
    EXPECT_EQ(std::wstring(value), L"0");
}

TEST_F(ShortcutsTest, PathsBeyondMaxPathSkipTheirShortcuts) {
    std::wstring deepFolder = L"C:\\" + std::wstring(MAX_PATH - 10, L'd') + L"\\";
    EXPECT_EQ(Outcome(CreateShortcuts(nullptr, deepFolder)), "done");  // skipped on purpose
    EXPECT_FALSE(Exists(kStartMenu + L"Orvanti文件数据恢复.lnk"));
    EXPECT_FALSE(Exists(kStartMenu + L"卸载.lnk"));
    EXPECT_FALSE(Exists(kDesktopLink));
    EXPECT_TRUE(Exists(kStartMenu + L"访问官方网站.url"));
    StepResult refused = CreateShellLink(kStartMenu + L"x.lnk", deepFolder + L"Pellamor.exe", nullptr);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(CreateFolderChain(deepFolder + L"subfolder\\"));
}

// What stands where a shortcut or its folder must go fails the step, naming it.
TEST_F(ShortcutsTest, ShortcutsThatCannotBeMadeFailTheStep) {
    struct Case {
        const char* name;
        std::wstring blocked;  // where a folder is made (a file, when asFile)
        bool asFile;
        std::string failure;  // how the failure line starts
    };
    // The folder chain takes a file for a level that exists: the first write below it fails.
    const std::string menu = "install failed: writing C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\";
    const Case cases[] = {
        {"a file for the start-menu folder", kStartMenu.substr(0, kStartMenu.size() - 1), true, menu},
        {"a folder for the launcher's link", kStartMenu + L"Orvanti文件数据恢复.lnk", false,
         "install failed: replacing C:\\ProgramData\\"},
        {"a folder for the desktop link", kDesktopLink, false, "install failed: writing C:\\Users\\Public\\Desktop\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartAfresh();
        const std::string blocked = UnixPath(c.blocked);
        fs::create_directories(c.asFile ? fs::path(blocked).parent_path() : fs::path(blocked));
        if (c.asFile) std::ofstream(blocked) << "not a folder";
        std::string outcome = Outcome(CreateShortcuts(nullptr, installFolder_));
        EXPECT_EQ(outcome.rfind(c.failure, 0), 0u) << outcome;
        EXPECT_NE(outcome.find(": error "), std::string::npos) << outcome;
        fs::remove_all(blocked);
    }
}

struct ChainCase {
    const char* name;
    std::wstring path;  // below the test's base folder
    std::wstring lastLevelMade;
    bool result;
};

TEST_F(ShortcutsTest, FolderChainCreatesEachLevel) {
    std::wstring base = installFolder_ + L"chain";
    WriteWholeFile(UnixPath(installFolder_ + L"file"), "");
    const ChainCase cases[] = {
        {"trailing backslash", base + L"\\a\\b\\", base + L"\\a\\b", true},
        {"no trailing backslash", base + L"\\c\\d", base + L"\\c", true},
        {"existing levels", base + L"\\a\\b\\e\\", base + L"\\a\\b\\e", true},
        {"below a file", installFolder_ + L"file\\x\\", L"", false},
    };
    for (const ChainCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CreateFolderChain(c.path), c.result);
        if (!c.lastLevelMade.empty()) {
            EXPECT_TRUE(fs::is_directory(UnixPath(c.lastLevelMade)));
        }
    }
    EXPECT_FALSE(Exists(base + L"\\c\\d"));
}

}  // namespace
