// Profile (INI) files: the bytes a write leaves, the buffer rules of reads,
// lists of sections and keys, deletions and the file's encoding.
#include "Harness.h"
#include "Scratch.h"

#include <string>

using namespace conformance;

namespace {

std::wstring Read(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                  const wchar_t* defaultValue = L"") {
    WCHAR buffer[256];
    DWORD length = GetPrivateProfileStringW(section, key, defaultValue, buffer, 256, file.c_str());
    return std::wstring(buffer, length);
}

}  // namespace

// A new file is ANSI: no byte order mark, CRLF, no spaces and no blank lines.
CONFORMANCE_CASE(Profiles, WritesLeaveTheseBytes) {
    std::wstring file = CaseFolder(L"Profiles.WritesLeaveTheseBytes") + L"\\settings.ini";
    CHECK(WritePrivateProfileStringW(L"Install", L"Path", L"C:\\Program Files (x86)\\V", file.c_str()));
    CHECK(WritePrivateProfileStringW(L"Install", L"Qid", L"abc", file.c_str()));
    CHECK(WritePrivateProfileStringW(L"Other", L"Key", L"1", file.c_str()));
    CHECK(WritePrivateProfileStringW(L"install", L"QID", L"changed", file.c_str()));
    CHECK_EQ(ReadBytes(file),
             std::string("[Install]\r\nPath=C:\\Program Files (x86)\\V\r\nQid=changed\r\n[Other]\r\nKey=1\r\n"));
}

CONFORMANCE_CASE(Profiles, ReadsFindSectionsAndKeysWithoutCase) {
    std::wstring file = CaseFolder(L"Profiles.ReadsFindSectionsAndKeysWithoutCase") + L"\\read.ini";
    REQUIRE(WriteBytes(file, "[Main]\r\nName = spaced value  \r\nQuoted=\"in quotes\"\r\nSingle='one'\r\n"
                             "Empty=\r\n[Second]\r\nName=second\r\n"));
    struct Row {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* defaultValue;
        const wchar_t* value;
    } rows[] = {
        {L"main", L"NAME", L"", L"spaced value"},
        {L"Main", L"Quoted", L"", L"in quotes"},
        {L"Main", L"Single", L"", L"one"},
        {L"Main", L"Empty", L"default", L""},
        {L"Main", L"Missing", L"default  ", L"default"},  // trailing blanks of a default go
        {L"Missing", L"Name", L"fallback", L"fallback"},
        {L"SECOND", L"name", L"", L"second"},
        {L"Main", L"Missing", nullptr, L""},
    };
    for (const Row& row : rows) CHECK_EQ(Read(file, row.section, row.key, row.defaultValue), std::wstring(row.value));
}

// A value that does not fit is cut to size - 1 characters; lists of names
// end in two NULs and are cut to size - 2.
CONFORMANCE_CASE(Profiles, BufferRules) {
    std::wstring file = CaseFolder(L"Profiles.BufferRules") + L"\\buffers.ini";
    REQUIRE(WriteBytes(file, "[One]\r\nalpha=0123456789\r\nbeta=2\r\n[Two]\r\ngamma=3\r\n"));
    WCHAR buffer[64];
    CHECK_EQ(GetPrivateProfileStringW(L"One", L"alpha", L"", buffer, 5, file.c_str()), 4u);
    CHECK_EQ(std::wstring(buffer), std::wstring(L"0123"));
    DWORD length = GetPrivateProfileStringW(L"One", nullptr, L"", buffer, 64, file.c_str());
    CHECK_EQ(length, 11u);
    CHECK_EQ(std::wstring(buffer, length + 1), std::wstring(L"alpha\0beta\0\0", 12));
    length = GetPrivateProfileStringW(nullptr, nullptr, L"", buffer, 64, file.c_str());
    CHECK_EQ(length, 8u);
    CHECK_EQ(std::wstring(buffer, length + 1), std::wstring(L"One\0Two\0\0", 9));
    length = GetPrivateProfileStringW(L"One", nullptr, L"", buffer, 8, file.c_str());
    CHECK_EQ(length, 6u);
    CHECK_EQ(std::wstring(buffer, 8), std::wstring(L"alpha\0\0\0", 8));
}

// A NULL value deletes the key, a NULL key the whole section.
CONFORMANCE_CASE(Profiles, Deletions) {
    std::wstring file = CaseFolder(L"Profiles.Deletions") + L"\\delete.ini";
    REQUIRE(WriteBytes(file, "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n"));
    CHECK(WritePrivateProfileStringW(L"A", L"x", nullptr, file.c_str()));
    CHECK(WritePrivateProfileStringW(L"B", nullptr, nullptr, file.c_str()));
    CHECK_EQ(ReadBytes(file), std::string("[A]\r\ny=2\r\n"));
    CHECK_EQ(Read(file, L"B", L"z", L"gone"), std::wstring(L"gone"));
}

// An existing file keeps its encoding: UTF-16LE with its mark stays so.
CONFORMANCE_CASE(Profiles, UnicodeFilesStayUnicode) {
    std::wstring file = CaseFolder(L"Profiles.UnicodeFilesStayUnicode") + L"\\wide.ini";
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[S]\r\nk=v\r\n")) utf16 += std::string(1, c) + '\0';
    REQUIRE(WriteBytes(file, utf16));
    CHECK_EQ(Read(file, L"S", L"k"), std::wstring(L"v"));
    const wchar_t text[] = {0x4E2D, 0x6587, 0};
    CHECK(WritePrivateProfileStringW(L"S", L"name", text, file.c_str()));
    std::string expected = "\xFF\xFE";
    for (char c : std::string("[S]\r\nk=v\r\nname=")) expected += std::string(1, c) + '\0';
    expected += std::string("\x2D\x4E\x87\x65\r\0\n\0", 8);
    CHECK_EQ(ReadBytes(file), expected);
    CHECK_EQ(Read(file, L"s", L"NAME"), std::wstring(text));
}

// In an ANSI file text goes through the ANSI code page both ways.
CONFORMANCE_CASE(Profiles, AnsiFilesUseTheCodePage) {
    std::wstring file = CaseFolder(L"Profiles.AnsiFilesUseTheCodePage") + L"\\ansi.ini";
    const wchar_t value[] = {L'c', L'a', L'f', 0x00E9, 0};
    CHECK(WritePrivateProfileStringW(L"S", L"k", value, file.c_str()));
    char ansi[16] = {};
    int length = WideCharToMultiByte(CP_ACP, 0, value, -1, ansi, sizeof(ansi), nullptr, nullptr);
    REQUIRE(length > 1);
    CHECK_EQ(ReadBytes(file), "[S]\r\nk=" + std::string(ansi, length - 1) + "\r\n");
    CHECK_EQ(Read(file, L"S", L"k"), std::wstring(value));
}
