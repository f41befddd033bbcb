// Code pages: UTF-8 and the ANSI code page (Windows-1252 in these runs)
// both ways, size queries, invalid input and characters without a mapping.
#include "Harness.h"

#include <string>

using namespace conformance;

namespace {

std::wstring FromBytes(UINT codePage, const std::string& bytes, DWORD flags = 0) {
    WCHAR buffer[64];
    int length = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), buffer, 64);
    return std::wstring(buffer, length > 0 ? length : 0);
}

std::string ToBytes(UINT codePage, const std::wstring& text) {
    char buffer[64];
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), buffer, 64, nullptr,
                                     nullptr);
    return std::string(buffer, length > 0 ? length : 0);
}

}  // namespace

CONFORMANCE_CASE(CodePages, Utf8BothWays) {
    struct Row {
        std::string bytes;
        std::wstring text;
    } rows[] = {
        {"plain", L"plain"},
        {"\xE4\xB8\xAD\xE6\x96\x87", {0x4E2D, 0x6587}},
        {"caf\xC3\xA9", {L'c', L'a', L'f', 0x00E9}},
        {"\xE2\x82\xAC", {0x20AC}},
    };
    for (const Row& row : rows) {
        CHECK_EQ(FromBytes(CP_UTF8, row.bytes), row.text);
        CHECK_EQ(ToBytes(CP_UTF8, row.text), row.bytes);
    }
}

// With -1 the terminator is converted and counted; a size query writes nothing.
CONFORMANCE_CASE(CodePages, SizesAndBuffers) {
    const char* bytes = "\xE4\xB8\xAD!";
    CHECK_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, -1, nullptr, 0), 3);
    CHECK_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, 4, nullptr, 0), 2);
    WCHAR small[2];
    CHECK_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, -1, small, 2), 0);
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    const wchar_t text[] = {0x4E2D, L'!', 0};
    CHECK_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), 5);
    char narrow[4];
    CHECK_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, 4, nullptr, nullptr), 0);
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    CHECK_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, 0, small, 2), 0);
    CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Invalid UTF-8 becomes U+FFFD, or fails with MB_ERR_INVALID_CHARS.
CONFORMANCE_CASE(CodePages, InvalidUtf8) {
    CHECK_EQ(FromBytes(CP_UTF8, "a\xFF" "b"), std::wstring({L'a', 0xFFFD, L'b'}));
    CHECK_EQ(FromBytes(CP_UTF8, "a\xFF" "b", MB_ERR_INVALID_CHARS), std::wstring());
    CHECK_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

CONFORMANCE_CASE(CodePages, AnsiIsWindows1252) {
    if (GetACP() != 1252) SKIP_CASE("the ANSI code page of this run is not 1252");
    struct Row {
        std::string bytes;
        std::wstring text;
    } rows[] = {
        {"abc", L"abc"},
        {"caf\xE9", {L'c', L'a', L'f', 0x00E9}},
        {"\x80\x99", {0x20AC, 0x2122}},
    };
    for (const Row& row : rows) {
        CHECK_EQ(FromBytes(CP_ACP, row.bytes), row.text);
        CHECK_EQ(ToBytes(CP_ACP, row.text), row.bytes);
    }
    // A character the code page lacks becomes the default character and is reported.
    const wchar_t chinese[] = {0x4E2D, L'x', 0};
    char buffer[8];
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, chinese, -1, buffer, 8, nullptr, &usedDefault);
    CHECK_EQ(std::string(buffer, length > 0 ? length : 0), std::string("?x\0", 3));
    CHECK(usedDefault);
    length = WideCharToMultiByte(CP_ACP, 0, chinese, -1, buffer, 8, "#", &usedDefault);
    CHECK_EQ(std::string(buffer, length > 0 ? length : 0), std::string("#x\0", 3));
}
