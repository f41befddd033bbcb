// Paths: full path names, the standard folders of kernel32, the module path.
#include "Harness.h"
#include "Scratch.h"

#include <wchar.h>

#include <string>

using namespace conformance;

CONFORMANCE_CASE(Paths, FullPathNameNormalises) {
    struct Row {
        const wchar_t* input;
        const wchar_t* full;
        const wchar_t* filePart;  // null when the path names a folder with a final separator
    } rows[] = {
        {L"C:\\a\\b\\..\\c", L"C:\\a\\c", L"c"},
        {L"C:/a/./b//c.txt", L"C:\\a\\b\\c.txt", L"c.txt"},
        {L"C:\\..\\..\\a", L"C:\\a", L"a"},
        {L"C:\\a\\name. . ", L"C:\\a\\name", L"name"},
        {L"C:\\a\\dir\\", L"C:\\a\\dir\\", nullptr},
        {L"C:\\", L"C:\\", nullptr},
        {L"\\\\?\\C:\\a\\b", L"\\\\?\\C:\\a\\b", L"b"},
    };
    for (const Row& row : rows) {
        WCHAR buffer[MAX_PATH];
        LPWSTR filePart = buffer;
        DWORD length = GetFullPathNameW(row.input, MAX_PATH, buffer, &filePart);
        CHECK_EQ(std::wstring(buffer, length), std::wstring(row.full));
        CHECK_EQ(length, wcslen(row.full));
        if (row.filePart)
            CHECK_EQ(std::wstring(filePart ? filePart : L"(null)"), std::wstring(row.filePart));
        else
            CHECK_EQ(filePart, static_cast<LPWSTR>(nullptr));
    }
}

// Too small a buffer: nothing written, the size needed with the terminator returned.
CONFORMANCE_CASE(Paths, FullPathNameBufferRules) {
    const wchar_t* path = L"C:\\folder\\file.txt";
    WCHAR buffer[8] = L"unused";
    CHECK_EQ(GetFullPathNameW(path, 8, buffer, nullptr), wcslen(path) + 1);
    CHECK_EQ(GetFullPathNameW(path, 0, nullptr, nullptr), wcslen(path) + 1);
    WCHAR exact[19];
    CHECK_EQ(GetFullPathNameW(path, 19, exact, nullptr), wcslen(path));
    CHECK_EQ(std::wstring(exact), std::wstring(path));
}

CONFORMANCE_CASE(Paths, RelativePathsFollowTheCurrentDirectory) {
    WCHAR current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    REQUIRE(length > 0 && length < MAX_PATH);
    CHECK(current[1] == L':' && current[2] == L'\\');
    CHECK_EQ(GetCurrentDirectoryW(0, nullptr), length + 1);
    std::wstring expected = std::wstring(current);
    if (expected.back() != L'\\') expected += L'\\';
    WCHAR full[MAX_PATH];
    GetFullPathNameW(L"sub\\..\\file.txt", MAX_PATH, full, nullptr);
    CHECK_EQ(std::wstring(full), expected + L"file.txt");
}

CONFORMANCE_CASE(Paths, WindowsAndSystemFolders) {
    WCHAR buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    WINE_DIVERGES("Wine names its folder C:\\windows, lower case",
                  CHECK_EQ(std::wstring(buffer, length), std::wstring(L"C:\\Windows")));
    CHECK_EQ(GetWindowsDirectoryW(buffer, 3), length + 1);
    // A 32-bit program under WOW64 is told system32 too; the file system redirects it.
    length = GetSystemDirectoryW(buffer, MAX_PATH);
    WINE_DIVERGES("Wine names its folder C:\\windows, lower case",
                  CHECK_EQ(std::wstring(buffer, length), std::wstring(L"C:\\Windows\\system32")));
}

// 64-bit Windows names its folder of 32-bit system programs to 32- and 64-bit
// programs alike; the 32-bit regsvr32 lives there.
CONFORMANCE_CASE(Paths, SystemWow64Folder) {
    WCHAR buffer[MAX_PATH];
    UINT length = GetSystemWow64DirectoryW(buffer, MAX_PATH);
    WINE_DIVERGES("Wine names its folder C:\\windows\\syswow64, lower case",
                  CHECK_EQ(std::wstring(buffer, length), std::wstring(L"C:\\Windows\\SysWOW64")));
    CHECK_EQ(GetSystemWow64DirectoryW(buffer, 3), length + 1);
    DWORD attributes = GetFileAttributesW((std::wstring(buffer, length) + L"\\regsvr32.exe").c_str());
    WINE_DIVERGES("Debian's 64-bit-only Wine puts no 32-bit programs in syswow64",
                  CHECK(attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)));
}

CONFORMANCE_CASE(Paths, TemporaryFolder) {
    REQUIRE(!Login().empty());
    WCHAR buffer[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, buffer);
    std::wstring expected = L"C:\\Users\\" + Login() + L"\\AppData\\Local\\Temp\\";
    WINE_DIVERGES("Wine's temporary folder is C:\\users\\<login>\\Temp",
                  CHECK_EQ(std::wstring(buffer, length), expected));
    CHECK_EQ(GetTempPathW(4, buffer), length + 1);
    CHECK(GetFileAttributesW(buffer) & FILE_ATTRIBUTE_DIRECTORY);
}

// The program's own path; a short buffer is filled, cut and terminated.
CONFORMANCE_CASE(Paths, ModuleFileName) {
    const std::wstring& path = ProgramPath();
    REQUIRE(path.size() > 3);
    CHECK(path[1] == L':' && path[2] == L'\\');
    CHECK(Exists(path));
    WCHAR small[6];
    SetLastError(0);
    CHECK_EQ(GetModuleFileNameW(nullptr, small, 6), 6u);
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    WINE_DIVERGES("Wine fills the whole buffer and leaves out the terminator, as Windows XP did",
                  CHECK_EQ(std::wstring(small, wcsnlen(small, 6)), path.substr(0, 5)));
    WCHAR module[MAX_PATH];
    DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), module, MAX_PATH);
    CHECK_EQ(std::wstring(module, length), path);
}
