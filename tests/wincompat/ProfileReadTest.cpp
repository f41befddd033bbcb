// Reading profile files: lookups, list forms, buffer rules, integers.
#include "ProfileTest.h"

#include "kernel32/Profile.h"

#include <gtest/gtest.h>

namespace {

const char kSample[] =
    "; leading comment=ignored\r\n"
    "[Globals]\r\n"
    "InstallPath=C:\\X\r\n"
    "  Spaced  =   padded value \t \r\n"
    "Quoted=\"  keep inner  \"\r\n"
    "Single='single'\r\n"
    "Mismatched=\"half\r\n"
    "Empty=\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "NoEquals line\r\n"
    ";Commented=1\r\n"
    "[ Other ] trailing text\n"
    "mixed=LF line\n"
    "number=  -1\n";

class ProfileRead : public ::testing::Test {
protected:
    void SetUp() override { file_.Write(kSample); }
    ProfileTestFile file_;
};

TEST_F(ProfileRead, FindsValuesAsWindowsDoes) {
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* defaultValue;
        const wchar_t* expected;
    } cases[] = {
        {L"Globals", L"InstallPath", L"d", L"C:\\X"},
        {L"GLOBALS", L"installpath", L"d", L"C:\\X"},
        {L" Globals ", L" Spaced ", L"d", L"padded value"},
        {L"Globals", L"Quoted", L"d", L"  keep inner  "},
        {L"Globals", L"Single", L"d", L"single"},
        {L"Globals", L"Mismatched", L"d", L"\"half"},
        {L"Globals", L"Empty", L"d", L""},
        {L"Globals", L"DUP", L"d", L"first"},
        {L"Globals", L"NoEquals line", L"d", L"d"},
        {L"Globals", L"Commented", L"d", L"d"},
        {L"Globals", L";Commented", L"d", L"d"},
        {L"Globals", L"leading comment", L"d", L"d"},
        {L"other", L"MIXED", L"d", L"LF line"},
        {L"Globals", L"Missing", L"fallback", L"fallback"},
        {L"Globals", L"Missing", L"trimmed   ", L"trimmed"},
        {L"Globals", L"Missing", L"  inner kept", L"  inner kept"},
        {L"Globals", L"Missing", nullptr, L""},
        {L"NoSuchSection", L"InstallPath", L"d", L"d"},
    };
    for (const Case& c : cases) {
        DWORD returned = 0;
        std::wstring value = ReadProfileString(c.section, c.key, c.defaultValue, file_.dos(), 256, &returned);
        EXPECT_EQ(value, c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(returned, wcslen(c.expected)) << c.section << "/" << c.key;
    }
}

TEST_F(ProfileRead, MissingKeyOrFileReportsFileNotFound) {
    SetLastError(0);
    EXPECT_EQ(ReadProfileString(L"Globals", L"Missing", L"d", file_.dos()), L"d");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ProfileTestFile absent;
    SetLastError(0);
    EXPECT_EQ(ReadProfileString(L"Globals", L"InstallPath", L"d", absent.dos()), L"d");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(ProfileRead, TruncatesToTheBuffer) {
    struct Case {
        DWORD size;
        const wchar_t* expected;
    } cases[] = {{5, L"C:\\X"}, {4, L"C:\\"}, {2, L"C"}, {1, L""}};
    for (const Case& c : cases) {
        std::wstring buffer(c.size + 1, L'#');
        DWORD length = GetPrivateProfileStringW(L"Globals", L"InstallPath", L"d", buffer.data(), c.size, file_.dos());
        EXPECT_EQ(length, wcslen(c.expected)) << c.size;
        EXPECT_EQ(std::wstring(buffer.c_str()), c.expected) << c.size;
        EXPECT_EQ(buffer[c.size], L'#') << "wrote past the buffer, size " << c.size;
    }
    wchar_t untouched = L'#';
    EXPECT_EQ(GetPrivateProfileStringW(L"Globals", L"InstallPath", L"d", &untouched, 0, file_.dos()), 0u);
    EXPECT_EQ(untouched, L'#');
}

TEST_F(ProfileRead, ListsSectionsAndKeysAsDoubleNulLists) {
    using namespace std::string_literals;
    const std::wstring keys = L"InstallPath\0Spaced\0Quoted\0Single\0Mismatched\0Empty\0Dup\0"s;
    struct Case {
        const wchar_t* section;
        DWORD size;
        std::wstring written;  // the start of the buffer, final NULs included
        DWORD returned;
    } cases[] = {
        {nullptr, 64, L"Globals\0Other\0\0"s, 14},
        {nullptr, 15, L"Globals\0Other\0\0"s, 14},
        {nullptr, 14, L"Globals\0Othe\0\0"s, 12},  // cut: the count is size - 2
        {nullptr, 10, L"Globals\0\0\0"s, 8},
        {L"globals", 128, keys + L'\0', static_cast<DWORD>(keys.size())},
        {L"Other", 64, L"mixed\0number\0\0"s, 13},
        {L"Other", 8, L"mixed\0\0\0"s, 6},
        {L"Absent", 64, L"\0\0"s, 0},
    };
    for (const Case& c : cases) {
        std::wstring buffer(c.size + 1, L'#');
        DWORD length = GetPrivateProfileStringW(c.section, nullptr, L"d", buffer.data(), c.size, file_.dos());
        EXPECT_EQ(length, c.returned) << c.size;
        EXPECT_EQ(buffer.substr(0, c.written.size()), c.written) << c.size;
        EXPECT_EQ(buffer[c.size], L'#') << "wrote past the buffer, size " << c.size;
    }
}

TEST_F(ProfileRead, SectionFunctions) {
    using namespace std::string_literals;
    wchar_t buffer[64];
    EXPECT_EQ(GetPrivateProfileSectionNamesW(buffer, 64, file_.dos()), 14u);
    EXPECT_EQ(std::wstring(buffer, 15), L"Globals\0Other\0\0"s);
    EXPECT_EQ(GetPrivateProfileSectionW(L"OTHER", buffer, 64, file_.dos()), 24u);
    EXPECT_EQ(std::wstring(buffer, 25), L"mixed=LF line\0number=-1\0\0"s);
}

TEST_F(ProfileRead, ParsesIntegers) {
    ProfileTestFile ints;
    ints.Write(
        "[N]\r\nplain=42\r\nspaced=  7  \r\nnegative=-1\r\nsuffix=12abc\r\nword=abc\r\nempty=\r\n"
        "hex=0x10\r\nquoted=\"5\"\r\nplus=+9\r\n");
    struct Case {
        const wchar_t* key;
        UINT expected;
    } cases[] = {
        {L"plain", 42},  {L"spaced", 7}, {L"negative", 0xFFFFFFFFu}, {L"suffix", 12}, {L"word", 0},
        {L"empty", 77},  {L"hex", 0},    {L"quoted", 5},             {L"plus", 9},    {L"missing", 77},
    };
    for (const Case& c : cases) EXPECT_EQ(GetPrivateProfileIntW(L"N", c.key, 77, ints.dos()), c.expected) << c.key;
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"missing", -3, ints.dos()), static_cast<UINT>(-3));
}

}  // namespace
