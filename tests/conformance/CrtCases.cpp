// The C runtime's Microsoft extensions the installer calls: number parsing,
// comparisons without case, full paths, path splitting, 64-bit time.
#include "Harness.h"

#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wchar.h>

#include <string>

using namespace conformance;

CONFORMANCE_CASE(Crt, NumbersFromText) {
    struct Row {
        const wchar_t* text;
        long value;
    } rows[] = {
        {L"42", 42}, {L"  -7", -7}, {L"+5", 5}, {L"12abc", 12}, {L"", 0}, {L"abc", 0}, {L"0x1A", 0}, {L"\t9", 9},
    };
    for (const Row& row : rows) {
        CHECK_EQ(_wtoi(row.text), static_cast<int>(row.value));
        CHECK_EQ(_wtol(row.text), row.value);
    }
}

CONFORMANCE_CASE(Crt, ComparisonsWithoutCase) {
    CHECK_EQ(_wcsicmp(L"Slient", L"SLIENT"), 0);
    CHECK(_wcsicmp(L"apple", L"Banana") < 0);
    CHECK(_wcsicmp(L"b", L"A") > 0);
    CHECK(_wcsicmp(L"ab", L"a") > 0);
    CHECK_EQ(_wcsnicmp(L"Program Files", L"PROGRAM data", 8), 0);
    CHECK(_wcsnicmp(L"Program Files", L"PROGRAM data", 9) != 0);
    CHECK_EQ(_stricmp("Velmora", "vELMORA"), 0);
    CHECK(_stricmp("a", "B") < 0);
}

CONFORMANCE_CASE(Crt, FullPaths) {
    wchar_t buffer[MAX_PATH];
    CHECK_EQ(std::wstring(_wfullpath(buffer, L"C:\\a\\b\\..\\c.txt", MAX_PATH)), std::wstring(L"C:\\a\\c.txt"));
    CHECK_EQ(std::wstring(_wfullpath(buffer, L"C:/x/./y", MAX_PATH)), std::wstring(L"C:\\x\\y"));
    WCHAR current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring expected(current, length);
    if (expected.back() != L'\\') expected += L'\\';
    CHECK_EQ(std::wstring(_wfullpath(buffer, L"name.txt", MAX_PATH)), expected + L"name.txt");
    // A full path longer than the buffer is an error.
    CHECK(_wfullpath(buffer, L"C:\\a\\long\\path.txt", 5) == nullptr);
    wchar_t* allocated = _wfullpath(nullptr, L"C:\\a\\..\\b", 0);
    REQUIRE(allocated != nullptr);
    CHECK_EQ(std::wstring(allocated), std::wstring(L"C:\\b"));
    free(allocated);
}

CONFORMANCE_CASE(Crt, PathSplitting) {
    struct Row {
        const wchar_t* path;
        const wchar_t* drive;
        const wchar_t* dir;
        const wchar_t* name;
        const wchar_t* ext;
    } rows[] = {
        {L"C:\\dir\\sub\\name.ext", L"C:", L"\\dir\\sub\\", L"name", L".ext"},
        {L"C:name.tar.gz", L"C:", L"", L"name.tar", L".gz"},
        {L"\\dir\\.hidden", L"", L"\\dir\\", L"", L".hidden"},
        {L"dir/file", L"", L"dir/", L"file", L""},
        {L"C:\\dir.d\\file", L"C:", L"\\dir.d\\", L"file", L""},
        {L"", L"", L"", L"", L""},
    };
    for (const Row& row : rows) {
        wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
        CHECK_EQ(_wsplitpath_s(row.path, drive, _MAX_DRIVE, dir, _MAX_DIR, name, _MAX_FNAME, ext, _MAX_EXT), 0);
        CHECK_EQ(std::wstring(drive), std::wstring(row.drive));
        CHECK_EQ(std::wstring(dir), std::wstring(row.dir));
        CHECK_EQ(std::wstring(name), std::wstring(row.name));
        CHECK_EQ(std::wstring(ext), std::wstring(row.ext));
    }
    // Parts may be left out. (A part that does not fit calls the runtime's
    // invalid parameter handler on Windows, which ends the program by default.)
    wchar_t name[_MAX_FNAME] = L"x";
    CHECK_EQ(_wsplitpath_s(L"C:\\folder\\file.txt", nullptr, 0, nullptr, 0, name, _MAX_FNAME, nullptr, 0), 0);
    CHECK_EQ(std::wstring(name), std::wstring(L"file"));
}

// _time64 counts seconds since 1970 UTC, the same clock as GetSystemTimeAsFileTime.
CONFORMANCE_CASE(Crt, Time64) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.u.LowPart = now.dwLowDateTime;
    ticks.u.HighPart = now.dwHighDateTime;
    long long fromFileTime = static_cast<long long>(ticks.QuadPart / 10000000ull) - 11644473600ll;
    __time64_t stored = 0;
    __time64_t seconds = _time64(&stored);
    CHECK_EQ(seconds, stored);
    CHECK(seconds - fromFileTime >= 0 && seconds - fromFileTime <= 2);
    struct tm* local = _localtime64(&seconds);
    REQUIRE(local != nullptr);
    SYSTEMTIME localTime;
    GetLocalTime(&localTime);
    CHECK_EQ(local->tm_year + 1900, static_cast<int>(localTime.wYear));
    CHECK_EQ(local->tm_mon + 1, static_cast<int>(localTime.wMonth));
}
