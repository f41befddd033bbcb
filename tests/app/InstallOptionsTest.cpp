#include "app/InstallOptions.h"

#include <windows.h>
#include <shlwapi.h>

#include "prefix/Prefix.h"

#include <gtest/gtest.h>


TEST(InstallOptions, DefaultsHoldTheTenKeys) {
    GetInstallOptions()->clear();
    ApplyDefaultOptions();
    const InstallOptions& options = *GetInstallOptions();
    ASSERT_EQ(options.size(), 10u);
    EXPECT_EQ(options.at(L"Slien"), L"0");
    EXPECT_EQ(options.at(L"IsDesttopCut"), L"1");
    EXPECT_EQ(options.at(L"IsStartmenu"), L"1");
    EXPECT_EQ(options.at(L"IsPinAppToTaskBar"), L"1");
    EXPECT_EQ(options.at(L"DeleteUserDat"), L"0");
    EXPECT_EQ(options.at(L"InstallFolderName"), L"VelmoraUser");
    EXPECT_EQ(options.at(L"Qid"), L"gf");
    // A 32-bit program on 64-bit Windows installs under the 32-bit program-files folder.
    EXPECT_EQ(options.at(L"InstallPath"), L"C:\\Program Files (x86)\\Velmora");
    std::wstring userData = options.at(L"UserDataPath");
    EXPECT_EQ(userData, L"C:\\Users\\" + wincompat::UserName() + L"\\AppData\\Local\\VelmoraUser");
    EXPECT_EQ(options.at(L"UserDataFilePath"), userData + L"\\VelmoraUser.ini");
    EXPECT_TRUE(PathFileExistsW(options.at(L"InstallPath").c_str()));
    EXPECT_TRUE(PathFileExistsW(userData.c_str()));
}

TEST(InstallOptions, IntegerReadingFollowsWtoi) {
    struct Case {
        const wchar_t* text;
        int value;
    } cases[] = {{L"1", 1}, {L" 1", 1}, {L"+1", 1}, {L"1x", 1}, {L"", 0}, {L"x", 0}, {L"-3", -3}};
    for (const Case& c : cases) {
        SetOption(L"Probe", c.text);
        EXPECT_EQ(GetIntOption(L"Probe"), c.value) << c.text;
    }
    EXPECT_EQ(GetIntOption(L"NoSuchKey"), 0);
}

TEST(InstallOptions, KeysAreCaseSensitiveAndReadsDoNotInsert) {
    SetIntOption(L"Slien", 1);
    EXPECT_EQ(GetOption(L"Slien"), L"1");
    EXPECT_EQ(GetOption(L"slien"), L"");
    EXPECT_EQ(GetInstallOptions()->count(L"slien"), 0u);
    SetIntOption(L"Negative", -12);
    EXPECT_EQ(GetOption(L"Negative"), L"-12");
}
