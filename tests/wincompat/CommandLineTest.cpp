#include <windows.h>
#include <shellapi.h>

#include "kernel32/CommandLineText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Split(const wchar_t* commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &count);
    std::vector<std::wstring> result;
    for (int i = 0; i < count; ++i) result.emplace_back(argv[i]);
    EXPECT_EQ(argv[count], nullptr);
    LocalFree(argv);
    return result;
}

}  // namespace

TEST(CommandLineToArgvW, FollowsTheWindowsQuotingRules) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> arguments;
    } cases[] = {
        {L"setup.exe slient", {L"setup.exe", L"slient"}},
        {L"  setup.exe", {L"", L"setup.exe"}},  // a leading blank leaves the program name empty
        {L"\"C:\\Program Files\\a b\\setup.exe\" x", {L"C:\\Program Files\\a b\\setup.exe", L"x"}},
        {L"C:\\dir\\\"quoted\\\" y", {L"C:\\dir\\\"quoted\\\"", L"y"}},  // no escapes in the program name
        {L"p \"a b\" c", {L"p", L"a b", L"c"}},
        {L"p a\\\\b", {L"p", L"a\\\\b"}},
        {L"p a\\\"b", {L"p", L"a\"b"}},
        {L"p a\\\\\"b c\"", {L"p", L"a\\b c"}},
        {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},
        {L"p \"a\"\"b\"", {L"p", L"a\"b"}},
        {L"p \"\" x", {L"p", L"", L"x"}},
        {L"p\t a \t b  ", {L"p", L"a", L"b"}},
        {L"p \"unterminated arg", {L"p", L"unterminated arg"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Split(c.line), c.arguments) << c.line;
}

TEST(CommandLineToArgvW, EmptyLineGivesTheProgramPath) {
    std::vector<std::wstring> arguments = Split(L"");
    ASSERT_EQ(arguments.size(), 1u);
    EXPECT_EQ(arguments[0].substr(0, 3), L"Z:\\");
}

TEST(CommandLineToArgvW, RejectsMissingCount) {
    EXPECT_EQ(CommandLineToArgvW(L"a b", nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CommandLineText, QuotedArgumentsSplitBackUnchanged) {
    std::vector<std::wstring> arguments = {L"C:\\a b\\p.exe", L"plain", L"with space", L"", L"quote\"inside",
                                           L"trailing\\", L"dir with\\", L"\\\\\"", L"中文 参数"};
    EXPECT_EQ(Split(wincompat::JoinCommandLine(arguments).c_str()), arguments);
}

TEST(GetCommandLineW, NamesThisProgram) {
    std::wstring line = GetCommandLineW();
    EXPECT_NE(line.find(L"wincompat_tests"), std::wstring::npos) << line;
}
