#include <windows.h>

#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wchar.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(wsprintfW, FormatsAsWindowsDoes) {
    WCHAR buffer[1100];
    struct Case {
        std::wstring expected;
        int length;
    };
    EXPECT_EQ(wsprintfW(buffer, L"%d", -42), 3);
    EXPECT_STREQ(buffer, L"-42");
    wsprintfW(buffer, L"%s|%S|%ls|%hs", L"wide", "narrow", L"w", "n");
    EXPECT_STREQ(buffer, L"wide|narrow|w|n");
    wsprintfW(buffer, L"%5d|%-5d|%05d|%.3d|%x|%X|%#x|%u", 42, 42, 42, 7, 255, 255, 255, 4000000000u);
    EXPECT_STREQ(buffer, L"   42|42   |00042|007|ff|FF|0xff|4000000000");
    wsprintfW(buffer, L"%ld %lu %I64d %c %%", static_cast<long>(-7), 7ul, static_cast<long long>(1) << 40, L'中');
    EXPECT_STREQ(buffer, L"-7 7 1099511627776 中 %");
    wsprintfW(buffer, L"%.2s|%4s|%-4s|", L"abcdef", L"ab", L"ab");
    EXPECT_STREQ(buffer, L"ab|  ab|ab  |");
    // The 64-bit value is cut to its low 32 bits, as a 32-bit long would be.
    wsprintfW(buffer, L"%ld", static_cast<long>(0x100000005LL));
    EXPECT_STREQ(buffer, L"5");
}

TEST(wsprintfW, StopsAt1024Characters) {
    std::wstring big(2000, L'x');
    WCHAR buffer[2100];
    EXPECT_EQ(wsprintfW(buffer, L"%s", big.c_str()), 1023);
    EXPECT_EQ(wcslen(buffer), 1023u);
}

TEST(CRuntime, WtoiParsesLikeTheRuntime) {
    struct Case {
        const wchar_t* text;
        int value;
    } cases[] = {{L"1", 1},   {L" 1", 1},        {L"+1", 1},         {L"1x", 1},
                 {L"", 0},    {L"x", 0},         {L"-12", -12},      {L"\t\n 7", 7},
                 {L"- 1", 0}, {L"99999999999", INT_MAX}, {L"-99999999999", INT_MIN}, {L"0012", 12}};
    for (const Case& c : cases) EXPECT_EQ(_wtoi(c.text), c.value) << c.text;
}

TEST(CRuntime, CaseInsensitiveComparisonFoldsAscii) {
    EXPECT_EQ(_wcsicmp(L"SLIENT", L"slient"), 0);
    EXPECT_EQ(_wcsicmp(L"SlIeNt", L"slient"), 0);
    EXPECT_NE(_wcsicmp(L"silent", L"slient"), 0);
    EXPECT_NE(_wcsicmp(L"slient=1", L"slient"), 0);
    EXPECT_LT(_wcsicmp(L"a", L"B"), 0);
    EXPECT_EQ(_stricmp("QSTART", "qstart"), 0);
}

TEST(CRuntime, Time64MatchesTheClock) {
    __time64_t now = _time64(nullptr);
    EXPECT_LE(llabs(now - static_cast<__time64_t>(time(nullptr))), 1);
    struct tm* local = _localtime64(&now);
    ASSERT_NE(local, nullptr);
    EXPECT_GE(local->tm_year, 120);
}
