// Text formatting: wsprintfW and wvsprintfW with the conversions the
// installer writes its numbers and names with (%s is a wide string in the
// wide functions), and swprintf with a count.
#include "Harness.h"

#include <stdarg.h>
#include <wchar.h>

#include <string>

using namespace conformance;

namespace {

// The formatted text, or a note when the returned length disagrees with it.
std::wstring Format(const wchar_t* format, ...) {
    WCHAR buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfW(buffer, format, arguments);
    va_end(arguments);
    if (length < 0 || static_cast<size_t>(length) != wcslen(buffer)) return L"(length " + std::to_wstring(length) + L")";
    return buffer;
}

}  // namespace

CONFORMANCE_CASE(Formats, WsprintfConversions) {
    struct Row {
        std::wstring actual;
        const wchar_t* expected;
    } rows[] = {
        {Format(L"%d", 20240102), L"20240102"},
        {Format(L"%ld", -1700000000L), L"-1700000000"},
        {Format(L"gf%s", L"qz"), L"gfqz"},
        {Format(L"%s_%d", L"window-10", 64), L"window-10_64"},
        {Format(L"%05d|%-4d|%x|%X|%u", 42, 7, 255, 0xBEEFu, 4294967295u), L"00042|7   |ff|BEEF|4294967295"},
        {Format(L"%c%%%s", L'A', L"\x4e2d"), L"A%\x4e2d"},
    };
    for (const Row& row : rows) CHECK_EQ(row.actual, std::wstring(row.expected));
    WCHAR buffer[32];
    CHECK_EQ(wsprintfW(buffer, L"%s-%d", L"abc", 12), 6);
    CHECK_EQ(std::wstring(buffer), std::wstring(L"abc-12"));
}

CONFORMANCE_CASE(Formats, SwprintfWithCount) {
    wchar_t buffer[64];
    CHECK_EQ(swprintf(buffer, 64, L"Error %d\n", 5), 8);
    CHECK_EQ(std::wstring(buffer), std::wstring(L"Error 5\n"));
    CHECK_EQ(swprintf(buffer, 64, L"%02X%02X", 0x0A, 0xFF), 4);
    CHECK_EQ(std::wstring(buffer), std::wstring(L"0AFF"));
}
