#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "prefix/Prefix.h"
#include "support/TestPrefix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

using wincompat::DosToUnix;
using wincompat::FullDosPath;

TEST(FullDosPath, NormalisesAsWindows) {
    struct Case {
        const wchar_t* input;
        const wchar_t* full;
    } cases[] = {
        {L"c:\\a\\b", L"C:\\a\\b"},
        {L"C:/a/b", L"C:\\a\\b"},
        {L"C:\\a\\.\\b\\..\\c", L"C:\\a\\c"},
        {L"C:\\..\\..\\a", L"C:\\a"},
        {L"C:\\a\\\\b", L"C:\\a\\b"},
        {L"C:\\name.  \\x", L"C:\\name\\x"},
        {L"C:\\dir\\", L"C:\\dir\\"},
        {L"\\\\?\\C:\\long", L"C:\\long"},
        {L"\\??\\C:\\pending", L"C:\\pending"},
        {L"C:", L"C:\\"},
    };
    for (const Case& c : cases) {
        std::wstring full;
        ASSERT_TRUE(FullDosPath(c.input, full, nullptr)) << c.input;
        EXPECT_EQ(full, c.full) << c.input;
    }
    std::wstring full;
    DWORD error = 0;
    EXPECT_FALSE(FullDosPath(L"\\\\server\\share\\x", full, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BAD_NETPATH));
}

TEST(DosToUnix, FindsExistingNamesWithoutRegardToCase) {
    std::string unixPath;
    ASSERT_TRUE(DosToUnix(L"C:\\USERS\\public\\DESKTOP", unixPath, nullptr));
    EXPECT_EQ(unixPath, TestPrefixRoot() + "/dosdevices/c:/users/Public/Desktop");
    // Missing elements keep the case they were given.
    ASSERT_TRUE(DosToUnix(L"c:\\users\\NewFolder\\Sub", unixPath, nullptr));
    EXPECT_EQ(unixPath, TestPrefixRoot() + "/dosdevices/c:/users/NewFolder/Sub");
    // Z: is the unix root.
    ASSERT_TRUE(DosToUnix(L"Z:\\tmp\\x", unixPath, nullptr));
    EXPECT_EQ(unixPath, TestPrefixRoot() + "/dosdevices/z:/tmp/x");
}

TEST(DosToUnix, RefusesBadNamesAndMissingDrivesAndLongPaths) {
    std::string unixPath;
    DWORD error = 0;
    EXPECT_FALSE(DosToUnix(L"C:\\a?b", unixPath, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(DosToUnix(L"Q:\\x", unixPath, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    std::wstring longPath = L"C:\\" + std::wstring(300, L'a');
    EXPECT_FALSE(DosToUnix(longPath, unixPath, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST(UnixToDos, PicksTheDriveWithTheLongestRoot) {
    EXPECT_EQ(wincompat::UnixToDos("/tmp"), L"Z:\\tmp");
    EXPECT_EQ(wincompat::UnixToDos(TestPrefixRoot() + "/drive_c/windows"), L"C:\\windows");
    EXPECT_EQ(wincompat::UnixToDos("/"), L"Z:\\");
}

TEST(Prefix, HasTheWindowsLayout) {
    ASSERT_EQ(wincompat::PrefixRoot(), TestPrefixRoot());  // created on first use
    struct stat info;
    for (const char* folder : {"drive_c/Program Files (x86)", "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs",
                               "drive_c/users/Public/Desktop", "drive_c/windows/system32"}) {
        EXPECT_EQ(stat((TestPrefixRoot() + "/" + folder).c_str(), &info), 0) << folder;
    }
    char target[64] = {};
    ASSERT_GT(readlink((TestPrefixRoot() + "/dosdevices/c:").c_str(), target, sizeof(target) - 1), 0);
    EXPECT_STREQ(target, "../drive_c");
    EXPECT_NE(access((TestPrefixRoot() + "/.update-timestamp").c_str(), F_OK), 0);
}

TEST(Folders, CreateExistAndAttributes) {
    EXPECT_TRUE(CreateDirectoryW(L"C:\\Program Files (x86)\\Velmora", nullptr));
    EXPECT_FALSE(CreateDirectoryW(L"c:\\program files (x86)\\VELMORA", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW(L"C:\\missing\\child", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(PathFileExistsW(L"C:\\PROGRAM FILES (X86)\\velmora"));
    EXPECT_FALSE(PathFileExistsW(L"C:\\Program Files (x86)\\Nothing"));
    EXPECT_FALSE(PathFileExistsW(L""));
    // CreateDirectoryW takes 12 characters less than MAX_PATH - 1.
    std::wstring nearLimit = L"C:\\" + std::wstring(MAX_PATH - 12 - 3, L'd');
    EXPECT_TRUE(CreateDirectoryW(nearLimit.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryW((nearLimit + L"e").c_str(), nullptr));

    std::ofstream(TestPrefixRoot() + "/drive_c/attr.txt") << "x";
    EXPECT_EQ(GetFileAttributesW(L"C:\\attr.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    // Attributes read back as set: ARCHIVE only when asked for, NORMAL when nothing is left.
    EXPECT_TRUE(SetFileAttributesW(L"C:\\attr.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(L"C:\\attr.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(SetFileAttributesW(L"C:\\attr.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(L"C:\\attr.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(L"C:\\nothing\\attr.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(L"C:\\nothing.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(SpecialFolders, AnswerAsWindowsForA32BitProgram) {
    WCHAR path[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILES, FALSE));
    EXPECT_STREQ(path, L"C:\\Program Files (x86)");
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILESX86, FALSE));
    EXPECT_STREQ(path, L"C:\\Program Files (x86)");
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    EXPECT_EQ(std::wstring(path), L"C:\\Users\\" + wincompat::UserName() + L"\\AppData\\Local");
    EXPECT_TRUE(PathFileExistsW(path));
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE));
    EXPECT_STREQ(path, L"C:\\Users\\Public\\Desktop");
    DWORD length = GetTempPathW(MAX_PATH, path);
    EXPECT_EQ(length, wcslen(path));
    EXPECT_EQ(std::wstring(path), L"C:\\Users\\" + wincompat::UserName() + L"\\AppData\\Local\\Temp\\");
    EXPECT_TRUE(PathFileExistsW(path));
    EXPECT_EQ(GetTempPathW(3, path), wcslen(L"C:\\Users\\\\AppData\\Local\\Temp\\") + wincompat::UserName().size() + 1);
}
