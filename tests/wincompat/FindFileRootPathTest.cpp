// The C runtime's path functions a directory search builds its root with:
// _wfullpath and _wsplitpath_s.
#include <windows.h>

#include <errno.h>
#include <stdlib.h>
#include <wchar.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FullPath, FormsFullPathsInTheGivenBuffer) {
    struct Case {
        const wchar_t* relative;
        const wchar_t* full;
    } cases[] = {
        {L"C:\\dir\\*.*", L"C:\\dir\\*.*"},
        {L"c:/a/./b/../c.txt", L"C:\\a\\c.txt"},
        {L"C:\\dir\\", L"C:\\dir\\"},
        {L"D:", L"D:\\"},
    };
    for (const Case& c : cases) {
        wchar_t buffer[MAX_PATH];
        EXPECT_EQ(_wfullpath(buffer, c.relative, MAX_PATH), buffer) << c.relative;
        EXPECT_STREQ(buffer, c.full);
    }
    // Relative paths and no path at all start from the current folder.
    wchar_t current[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    wchar_t buffer[MAX_PATH];
    ASSERT_TRUE(_wfullpath(buffer, nullptr, MAX_PATH));
    EXPECT_STREQ(buffer, current);
    ASSERT_TRUE(_wfullpath(buffer, L"name.txt", MAX_PATH));
    std::wstring expected = std::wstring(current) + (current[wcslen(current) - 1] == L'\\' ? L"" : L"\\") + L"name.txt";
    EXPECT_EQ(std::wstring(buffer), expected);
}

TEST(FullPath, AllocatesWithoutABufferAndRefusesWhatDoesNotFit) {
    wchar_t* allocated = _wfullpath(nullptr, L"C:\\x\\y", 0);  // the size is ignored then
    ASSERT_TRUE(allocated);
    EXPECT_STREQ(allocated, L"C:\\x\\y");
    free(allocated);

    wchar_t small[7];
    errno = 0;
    EXPECT_EQ(_wfullpath(small, L"C:\\x\\yz", 7), nullptr);  // 7 characters and the terminator
    EXPECT_EQ(errno, ERANGE);
    EXPECT_EQ(_wfullpath(small, L"C:\\x\\y", 7), small);

    std::wstring longPath = L"C:\\" + std::wstring(MAX_PATH, L'a');
    errno = 0;
    EXPECT_EQ(_wfullpath(nullptr, longPath.c_str(), 0), nullptr);
    EXPECT_EQ(errno, ERANGE);
    errno = 0;
    EXPECT_EQ(_wfullpath(nullptr, L"\\\\server\\share\\x", 0), nullptr);
    EXPECT_NE(errno, 0);
}

TEST(SplitPath, SplitsIntoDriveFolderNameAndExtension) {
    struct Case {
        const wchar_t* path;
        const wchar_t *drive, *dir, *fname, *ext;
    } cases[] = {
        {L"C:\\dir\\sub\\file.tar.gz", L"C:", L"\\dir\\sub\\", L"file.tar", L".gz"},
        {L"C:/dir/file", L"C:", L"/dir/", L"file", L""},
        {L"dir\\.hidden", L"", L"dir\\", L"", L".hidden"},
        {L"C:file.txt", L"C:", L"", L"file", L".txt"},
        {L"C:\\dir.x\\", L"C:", L"\\dir.x\\", L"", L""},
        {L"", L"", L"", L"", L""},
    };
    for (const Case& c : cases) {
        wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
        ASSERT_EQ(_wsplitpath_s(c.path, drive, _MAX_DRIVE, dir, _MAX_DIR, fname, _MAX_FNAME, ext, _MAX_EXT), 0)
            << c.path;
        EXPECT_STREQ(drive, c.drive) << c.path;
        EXPECT_STREQ(dir, c.dir) << c.path;
        EXPECT_STREQ(fname, c.fname) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
    }
    // Parts not asked for are skipped.
    wchar_t fname[_MAX_FNAME];
    EXPECT_EQ(_wsplitpath_s(L"C:\\a\\b.c", nullptr, 0, nullptr, 0, fname, _MAX_FNAME, nullptr, 0), 0);
    EXPECT_STREQ(fname, L"b");
}

TEST(SplitPath, RefusesBadArgumentsAndShortBuffersLeavingThemEmpty) {
    wchar_t drive[_MAX_DRIVE] = L"X", dir[6] = L"X", fname[_MAX_FNAME] = L"X";
    struct Case {
        const wchar_t* path;
        wchar_t* dirBuffer;
        size_t dirSize;
        errno_t result;
    } cases[] = {
        {nullptr, dir, 6, EINVAL},
        {L"C:\\a\\b", nullptr, 6, EINVAL},  // a size without a buffer
        {L"C:\\a\\b", dir, 0, EINVAL},      // a buffer without a size
        {L"C:\\abcde\\b", dir, 6, ERANGE},  // "\abcde\" needs 8 characters
    };
    for (const Case& c : cases) {
        drive[0] = fname[0] = L'X';
        if (c.dirBuffer && c.dirSize) c.dirBuffer[0] = L'X';
        EXPECT_EQ(_wsplitpath_s(c.path, drive, _MAX_DRIVE, c.dirBuffer, c.dirSize, fname, _MAX_FNAME, nullptr, 0),
                  c.result);
        EXPECT_EQ(drive[0], L'\0');
        EXPECT_EQ(fname[0], L'\0');
        if (c.dirBuffer && c.dirSize) {
            EXPECT_EQ(c.dirBuffer[0], L'\0');
        }
    }
    EXPECT_EQ(_wsplitpath_s(L"C:\\abc\\b", drive, _MAX_DRIVE, dir, 6, fname, _MAX_FNAME, nullptr, 0), 0);
    EXPECT_STREQ(dir, L"\\abc\\");
}

}  // namespace
