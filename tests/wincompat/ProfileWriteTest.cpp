// Writing profile files: exact bytes of new and edited files, deletions,
// where files go, and the refusals.
#include "ProfileTest.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

namespace {

TEST(ProfileWrite, NewFileIsPlainAnsiWithCrLf) {
    ProfileTestFile file;
    ASSERT_TRUE(WritePrivateProfileStringW(L"Globals", L"InstallPath", L"C:\\X", file.dos()));
    EXPECT_EQ(file.Read(), "[Globals]\r\nInstallPath=C:\\X\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Other", L"k", L"v", file.dos()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"globals", L"Second", L"2", file.dos()));
    EXPECT_EQ(file.Read(), "[Globals]\r\nInstallPath=C:\\X\r\nSecond=2\r\n[Other]\r\nk=v\r\n");
    EXPECT_EQ(ReadProfileString(L"Globals", L"InstallPath", L"", file.dos()), L"C:\\X");
}

TEST(ProfileWrite, EditsOnlyTheLinesConcerned) {
    const std::string start =
        "; head\r\n"
        "[A]\r\n"
        "k1=v1\r\n"
        "  K2 = v2 \r\n"
        "\r\n"
        "; tail of A\r\n"
        "[B]\n"
        " x=1\n";
    struct Case {
        const char* name;
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
        std::string expected;
    } cases[] = {
        {"replace", L"a", L"K1", L"new value", "; head\r\n[A]\r\nk1=new value\r\n  K2 = v2 \r\n\r\n; tail of A\r\n[B]\n x=1\n"},
        {"replace spaced", L"A", L"k2", L"z", "; head\r\n[A]\r\nk1=v1\r\nK2=z\r\n\r\n; tail of A\r\n[B]\n x=1\n"},
        {"add after last key", L"A", L"k3", L"v3",
         "; head\r\n[A]\r\nk1=v1\r\n  K2 = v2 \r\nk3=v3\r\n\r\n; tail of A\r\n[B]\n x=1\n"},
        {"add to last section", L"B", L"y", L"2", "; head\r\n[A]\r\nk1=v1\r\n  K2 = v2 \r\n\r\n; tail of A\r\n[B]\n x=1\ny=2\r\n"},
        {"new section", L"C", L"c", L"3", start + "[C]\r\nc=3\r\n"},
        {"delete key", L"A", L"K1", nullptr, "; head\r\n[A]\r\n  K2 = v2 \r\n\r\n; tail of A\r\n[B]\n x=1\n"},
        {"delete section", L"a", nullptr, nullptr, "; head\r\n[B]\n x=1\n"},
        {"delete last section", L"B", nullptr, nullptr, "; head\r\n[A]\r\nk1=v1\r\n  K2 = v2 \r\n\r\n; tail of A\r\n"},
        {"delete missing key", L"A", L"nope", nullptr, start},
        {"delete missing section", L"Nope", nullptr, nullptr, start},
    };
    for (const Case& c : cases) {
        ProfileTestFile file;
        file.Write(start);
        EXPECT_TRUE(WritePrivateProfileStringW(c.section, c.key, c.value, file.dos())) << c.name;
        EXPECT_EQ(file.Read(), c.expected) << c.name;
    }
}

TEST(ProfileWrite, CompletesAnUnterminatedLastLine) {
    struct Case {
        const wchar_t* section;
        std::string expected;
    } cases[] = {
        {L"A", "[A]\r\nk=v\r\nn=1\r\n"},
        {L"Z", "[A]\r\nk=v\r\n[Z]\r\nn=1\r\n"},
    };
    for (const Case& c : cases) {
        ProfileTestFile file;
        file.Write("[A]\r\nk=v");
        ASSERT_TRUE(WritePrivateProfileStringW(c.section, L"n", L"1", file.dos()));
        EXPECT_EQ(file.Read(), c.expected);
    }
}

TEST(ProfileWrite, DeletingFromAMissingFileCreatesNothing) {
    ProfileTestFile file;
    EXPECT_TRUE(WritePrivateProfileStringW(L"A", L"k", nullptr, file.dos()));
    EXPECT_TRUE(WritePrivateProfileStringW(L"A", nullptr, nullptr, file.dos()));
    struct stat info;
    EXPECT_NE(stat(file.unixPath.c_str(), &info), 0);
}

TEST(ProfileWrite, RefusesWhatWindowsRefuses) {
    ProfileTestFile file;
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(L"A", L"k", L"v", (file.dosPath + L"\\..\\missing\\x.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, L"k", L"v", file.dos()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.dos()));  // cache flush

    file.Write("[A]\r\nk=v\r\n");
    chmod(file.unixPath.c_str(), 0444);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(L"A", L"k", L"new", file.dos()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(WritePrivateProfileStringW(L"A", nullptr, nullptr, file.dos()));
    EXPECT_EQ(file.Read(), "[A]\r\nk=v\r\n");
}

TEST(ProfileWrite, KeepsPermissionsAndAttributes) {
    ProfileTestFile file;
    file.Write("[A]\r\nk=v\r\n");
    chmod(file.unixPath.c_str(), 0640);
    bool hasAttribute = setxattr(file.unixPath.c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0;
    ASSERT_TRUE(WritePrivateProfileStringW(L"A", L"k", L"w", file.dos()));
    struct stat info;
    ASSERT_EQ(stat(file.unixPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (hasAttribute) {
        char value[8] = {};
        EXPECT_EQ(getxattr(file.unixPath.c_str(), "user.DOSATTRIB", value, sizeof(value)), 3);
        EXPECT_STREQ(value, "0x2");
    }
}

TEST(ProfileWrite, FollowsSymbolicLinks) {
    ProfileTestFile target;
    target.Write("[A]\r\nk=v\r\n");
    ProfileTestFile link;
    ASSERT_EQ(symlink(target.unixPath.c_str(), link.unixPath.c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileStringW(L"A", L"k", L"w", link.dos()));
    EXPECT_EQ(target.Read(), "[A]\r\nk=w\r\n");
    struct stat info;
    ASSERT_EQ(lstat(link.unixPath.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(ProfileWrite, BareNameMeansTheWindowsFolder) {
    ASSERT_TRUE(WritePrivateProfileStringW(L"A", L"k", L"v", L"ProfileWriteTest.ini"));
    std::string unixPath;
    ASSERT_TRUE(wincompat::DosToUnix(L"C:\\windows\\ProfileWriteTest.ini", unixPath, nullptr));
    EXPECT_EQ(ReadWholeFile(unixPath), "[A]\r\nk=v\r\n");
    EXPECT_EQ(ReadProfileString(L"A", L"k", L"", L"profilewritetest.ini"), L"v");
    unlink(unixPath.c_str());
}

}  // namespace
