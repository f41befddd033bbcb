// Encodings of profile files: the byte-order mark decides and is kept, ANSI
// follows the code page, and text that does not fit becomes '?'.
#include "ProfileTest.h"

#include "kernel32/CodePage.h"
#include "kernel32/ProfileFile.h"

#include <stdlib.h>

#include <gtest/gtest.h>

namespace {

using wincompat::ProfileEncoding;
using wincompat::ProfileFile;

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::string Utf8Bytes(std::u8string_view text) { return std::string(text.begin(), text.end()); }

TEST(ProfileEncoding, UnicodeFilesKeepTheirEncoding) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"UTF-16LE", "\xFF\xFE" + Utf16Bytes(u"[Sec]\r\nname=中文\r\n", false),
         "\xFF\xFE" + Utf16Bytes(u"[Sec]\r\nname=中文\r\nnew=汉字😀\r\n", false)},
        {"UTF-16BE", "\xFE\xFF" + Utf16Bytes(u"[Sec]\r\nname=中文\r\n", true),
         "\xFE\xFF" + Utf16Bytes(u"[Sec]\r\nname=中文\r\nnew=汉字😀\r\n", true)},
        {"UTF-8", "\xEF\xBB\xBF" + Utf8Bytes(u8"[Sec]\r\nname=中文\r\n"),
         "\xEF\xBB\xBF" + Utf8Bytes(u8"[Sec]\r\nname=中文\r\nnew=汉字😀\r\n")},
    };
    for (const Case& c : cases) {
        ProfileTestFile file;
        file.Write(c.before);
        EXPECT_EQ(ReadProfileString(L"sec", L"NAME", L"", file.dos()), L"中文") << c.name;
        ASSERT_TRUE(WritePrivateProfileStringW(L"Sec", L"new", L"汉字😀", file.dos())) << c.name;
        EXPECT_EQ(file.Read(), c.after) << c.name;
        EXPECT_EQ(ReadProfileString(L"Sec", L"new", L"", file.dos()), L"汉字😀") << c.name;
    }
}

TEST(ProfileEncoding, NewFileIsAnsiInTheProcessCodePage) {
    ProfileTestFile file;
    ASSERT_TRUE(WritePrivateProfileStringW(L"Sec", L"name", L"中文", file.dos()));
    EXPECT_EQ(file.Read(), "[Sec]\r\nname=" + wincompat::AnsiFromWide(L"中文") + "\r\n");
}

// GBK: 中 D6 D0, 文 CE C4; Arabic has no place in it.
TEST(ProfileEncoding, AnsiFollowsTheCodePage) {
    ProfileFile existing("[S]\r\nk=\xD6\xD0\xCE\xC4\r\n", 936);
    EXPECT_EQ(existing.Encoding(), ProfileEncoding::Ansi);
    EXPECT_EQ(existing.Value(L"S", L"k").value_or(L""), L"中文");
    existing.SetValue(L"S", L"n", L"文中");
    existing.SetValue(L"S", L"arabic", L"a\u0639b");
    EXPECT_EQ(existing.Bytes(), "[S]\r\nk=\xD6\xD0\xCE\xC4\r\nn=\xCE\xC4\xD6\xD0\r\narabic=a?b\r\n");

    ProfileFile fresh("", 936);
    fresh.SetValue(L"中", L"文", L"中文");
    EXPECT_EQ(fresh.Bytes(), "[\xD6\xD0]\r\n\xCE\xC4=\xD6\xD0\xCE\xC4\r\n");
}

// The code page of the emulated machine, set for a process as a user would set it.
TEST(ProfileEncoding, DISABLED_ChildWritesInItsCodePage) {
    const char* path = getenv("PROFILE_TEST_FILE");
    ASSERT_NE(path, nullptr);
    std::wstring file = wincompat::WideFromUtf8(path);
    ASSERT_TRUE(WritePrivateProfileStringW(L"S", L"k", L"中文\u0639", file.c_str()));
    EXPECT_EQ(ReadProfileString(L"S", L"k", L"", file.c_str()), L"中文?");
}

TEST(ProfileEncoding, CodePage936FromTheEnvironment) {
    ProfileTestFile file;
    ProcessResult child = RunProcess(
        {"/proc/self/exe", "--gtest_also_run_disabled_tests", "--gtest_filter=ProfileEncoding.DISABLED_ChildWritesInItsCodePage"},
        {{"WINCOMPAT_CODEPAGE", "936"}, {"PROFILE_TEST_FILE", wincompat::Utf8FromWide(file.dosPath)}});
    ASSERT_EQ(child.exitCode, 0) << child.output << child.errors;
    EXPECT_EQ(file.Read(), "[S]\r\nk=\xD6\xD0\xCE\xC4?\r\n");
}

}  // namespace
