// Special folders, as Windows 10 names them for a program of this bitness.
#include "Harness.h"
#include "Scratch.h"

#include <shlobj.h>

#include <string>

using namespace conformance;

namespace {

std::wstring FolderOf(int csidl) {
    WCHAR path[MAX_PATH] = L"unchanged";
    HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return SUCCEEDED(result) ? path : L"(failed)";
}

const char kUsersFolder[] = "Wine's profile folders live in C:\\users, lower case";
const char kWindowsFolder[] = "Wine names its folder C:\\windows, lower case";

}  // namespace

CONFORMANCE_CASE(SpecialFolders, PathsOfTheFolders) {
    REQUIRE(!Login().empty());
    std::wstring profile = L"C:\\Users\\" + Login();
    std::wstring programFiles = ProgramBits() == 32 ? L"C:\\Program Files (x86)" : L"C:\\Program Files";
    struct Row {
        int csidl;
        std::wstring path;
        const char* wineDivergence;  // null when Wine answers as Windows
    } rows[] = {
        {CSIDL_PROGRAM_FILES, programFiles, nullptr},
        {CSIDL_PROGRAM_FILESX86, L"C:\\Program Files (x86)", nullptr},
        {CSIDL_PROGRAM_FILES_COMMON, programFiles + L"\\Common Files", nullptr},
        {CSIDL_COMMON_APPDATA, L"C:\\ProgramData", nullptr},
        {CSIDL_COMMON_STARTMENU, L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu", nullptr},
        {CSIDL_COMMON_PROGRAMS, L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs", nullptr},
        {CSIDL_COMMON_DESKTOPDIRECTORY, L"C:\\Users\\Public\\Desktop", kUsersFolder},
        {CSIDL_LOCAL_APPDATA, profile + L"\\AppData\\Local", kUsersFolder},
        {CSIDL_APPDATA, profile + L"\\AppData\\Roaming", kUsersFolder},
        {CSIDL_PROGRAMS, profile + L"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs", kUsersFolder},
        {CSIDL_DESKTOPDIRECTORY, profile + L"\\Desktop", kUsersFolder},
        {CSIDL_WINDOWS, L"C:\\Windows", kWindowsFolder},
        {CSIDL_SYSTEM, ProgramBits() == 32 ? L"C:\\Windows\\SysWOW64" : L"C:\\Windows\\system32", kWindowsFolder},
    };
    for (const Row& row : rows) {
        if (row.wineDivergence)
            WINE_DIVERGES(row.wineDivergence, CHECK_EQ(FolderOf(row.csidl), row.path));
        else
            CHECK_EQ(FolderOf(row.csidl), row.path);
        WCHAR path[MAX_PATH] = L"";
        CHECK(SHGetSpecialFolderPathW(nullptr, path, row.csidl, FALSE));
        CHECK_EQ(std::wstring(path), FolderOf(row.csidl));
    }
}

// The folders exist, or are made when asked for.
CONFORMANCE_CASE(SpecialFolders, FoldersExistOrAreCreated) {
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_COMMON_PROGRAMS,
                      CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA}) {
        WCHAR path[MAX_PATH];
        REQUIRE(SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)));
        CHECK(GetFileAttributesW(path) & FILE_ATTRIBUTE_DIRECTORY);
        CHECK(GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES);
    }
    WCHAR path[MAX_PATH];
    CHECK(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAMS, TRUE));
    CHECK(Exists(path));
    CHECK(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)));
    CHECK(Exists(path));
}
