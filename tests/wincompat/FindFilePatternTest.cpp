// FindFirstFileW's patterns and errors, on a folder of known names.
#include <windows.h>

#include "support/TestPrefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FindFilePattern : public testing::Test {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryW(kFolder, nullptr);
        std::wstring folder = kFolder;
        CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
        for (const wchar_t* name : {L"readme", L"a.txt", L"Bb.TXT", L"a.b.c", L"notes.txt.bak"}) {
            HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            CloseHandle(file);
        }
    }

    // Every name the search lists, in its order.
    static std::vector<std::wstring> List(const std::wstring& pattern, DWORD* error = nullptr) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW(pattern.c_str(), &data);
        if (error) *error = search == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(data.cFileName);
        while (FindNextFileW(search, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(search));
        return names;
    }

    static constexpr const wchar_t* kFolder = L"C:\\FindPatterns";
};

using Names = std::vector<std::wstring>;

TEST_F(FindFilePattern, MatchesAsWindows) {
    struct Case {
        const wchar_t* mask;
        Names names;
    } cases[] = {
        {L"*", {L".", L"..", L"a.b.c", L"a.txt", L"Bb.TXT", L"notes.txt.bak", L"readme", L"sub"}},
        {L"*.*", {L".", L"..", L"a.b.c", L"a.txt", L"Bb.TXT", L"notes.txt.bak", L"readme", L"sub"}},
        {L"*.txt", {L"a.txt", L"Bb.TXT"}},
        {L"*.TXT", {L"a.txt", L"Bb.TXT"}},
        {L"*.", {L".", L"..", L"readme", L"sub"}},  // names without an extension
        {L"?.txt", {L"a.txt"}},
        {L"??.txt", {L"a.txt", L"Bb.TXT"}},  // "?" may match nothing before the dot
        {L"a*", {L"a.b.c", L"a.txt"}},
        {L"*b*", {L"a.b.c", L"Bb.TXT", L"notes.txt.bak", L"sub"}},
        {L"*.b*", {L"a.b.c", L"notes.txt.bak"}},
        {L"r?adme", {L"readme"}},
        {L"README", {L"readme"}},
        {L"readme.", {L"readme"}},  // a plain name loses its trailing dot
        {L"SUB", {L"sub"}},
    };
    for (const Case& c : cases) EXPECT_EQ(List(std::wstring(kFolder) + L"\\" + c.mask), c.names) << c.mask;
    // Without a mask the pattern names the folder itself.
    EXPECT_EQ(List(L"c:\\findpatterns"), Names{L"FindPatterns"});
    EXPECT_EQ(List(L"C:\\FindPatterns\\sub\\.."), Names{L"FindPatterns"});
}

TEST_F(FindFilePattern, FailsAsWindows) {
    struct Case {
        const wchar_t* pattern;
        DWORD error;
    } cases[] = {
        {L"C:\\FindPatterns\\*.none", ERROR_FILE_NOT_FOUND},
        {L"C:\\FindPatterns\\absent.txt", ERROR_FILE_NOT_FOUND},
        {L"C:\\FindPatterns\\", ERROR_FILE_NOT_FOUND},
        {L"C:\\", ERROR_FILE_NOT_FOUND},
        {L"C:\\FindPatterns\\missing\\*", ERROR_PATH_NOT_FOUND},
        {L"C:\\FindPatterns\\missing\\deeper\\*", ERROR_PATH_NOT_FOUND},
        {L"C:\\FindPatterns\\a.txt\\*", ERROR_DIRECTORY},
        {L"C:\\FindPatterns\\a|b*", ERROR_INVALID_NAME},
        {L"C:\\Find*\\*", ERROR_INVALID_NAME},
        {L"Q:\\*", ERROR_PATH_NOT_FOUND},
        {L"", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        DWORD error = 0;
        EXPECT_TRUE(List(c.pattern, &error).empty()) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
    }
}

}  // namespace
