// Converting value data to and from reg.exe's text.
#include "reg/RegData.h"

#include "prefix/Prefix.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

namespace regtool {

namespace {

struct TypeEntry {
    DWORD type;
    const wchar_t* name;
    bool settable;  // accepted by /t
};

const TypeEntry kTypes[] = {
    {REG_NONE, L"REG_NONE", true},
    {REG_SZ, L"REG_SZ", true},
    {REG_EXPAND_SZ, L"REG_EXPAND_SZ", true},
    {REG_BINARY, L"REG_BINARY", true},
    {REG_DWORD, L"REG_DWORD", true},
    {REG_DWORD_BIG_ENDIAN, L"REG_DWORD_BIG_ENDIAN", false},
    {REG_LINK, L"REG_LINK", false},
    {REG_MULTI_SZ, L"REG_MULTI_SZ", true},
    {REG_RESOURCE_LIST, L"REG_RESOURCE_LIST", false},
    {REG_FULL_RESOURCE_DESCRIPTOR, L"REG_FULL_RESOURCE_DESCRIPTOR", false},
    {REG_RESOURCE_REQUIREMENTS_LIST, L"REG_RESOURCE_REQUIREMENTS_LIST", false},
    {REG_QWORD, L"REG_QWORD", true},
};

void AppendText(std::vector<BYTE>& bytes, const std::wstring& text) {
    const BYTE* start = reinterpret_cast<const BYTE*>(text.c_str());
    bytes.insert(bytes.end(), start, start + (text.size() + 1) * sizeof(WCHAR));
}

bool ParseNumber(const std::wstring& text, unsigned long long limit, unsigned long long& number) {
    bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    unsigned base = hex ? 16 : 10;
    number = 0;
    if (text.empty() || text.size() == (hex ? 2u : 0u)) return false;
    for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        unsigned digit = c >= L'0' && c <= L'9' ? c - L'0'
                       : hex && c >= L'a' && c <= L'f' ? c - L'a' + 10
                       : hex && c >= L'A' && c <= L'F' ? c - L'A' + 10 : 99;
        if (digit >= base || number > (limit - digit) / base) return false;
        number = number * base + digit;
    }
    return true;
}

bool ParseHex(const std::wstring& text, std::vector<BYTE>& bytes) {
    if (text.size() % 2) return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned byte;
        std::string pair = wincompat::Utf8FromWide(text.substr(i, 2));
        if (pair.size() != 2 || !isxdigit(pair[0]) || !isxdigit(pair[1]) || sscanf(pair.c_str(), "%2x", &byte) != 1)
            return false;
        bytes.push_back(static_cast<BYTE>(byte));
    }
    return true;
}

std::wstring TextOf(const std::vector<BYTE>& bytes) {
    std::wstring text(bytes.size() / sizeof(WCHAR), L'\0');
    memcpy(text.data(), bytes.data(), text.size() * sizeof(WCHAR));
    return text;
}

}  // namespace

bool TypeFromName(const std::wstring& name, DWORD& type) {
    for (const TypeEntry& entry : kTypes) {
        if (entry.settable && wincompat::EqualNoCase(name, entry.name)) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

std::wstring TypeName(DWORD type) {
    for (const TypeEntry& entry : kTypes)
        if (entry.type == type) return entry.name;
    return L"0x" + std::to_wstring(type);
}

bool ParseValueData(DWORD type, const std::wstring& text, const std::wstring& separator,
                    std::vector<BYTE>& bytes) {
    bytes.clear();
    unsigned long long number;
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            AppendText(bytes, text);
            return true;
        case REG_MULTI_SZ:
            for (size_t begin = 0; !text.empty() && begin <= text.size();) {
                size_t end = separator.empty() ? std::wstring::npos : text.find(separator, begin);
                if (end == std::wstring::npos) end = text.size();
                if (end == begin) return false;  // reg.exe refuses empty strings in the list
                AppendText(bytes, text.substr(begin, end - begin));
                begin = end + separator.size();
            }
            AppendText(bytes, L"");
            return true;
        case REG_DWORD:
        case REG_QWORD: {
            bool dword = type == REG_DWORD;
            if (!ParseNumber(text, dword ? 0xFFFFFFFFull : ~0ull, number)) return false;
            for (int i = 0; i < (dword ? 4 : 8); ++i) bytes.push_back(static_cast<BYTE>(number >> (8 * i)));
            return true;
        }
        default:
            return ParseHex(text, bytes);
    }
}

std::wstring FormatValueData(DWORD type, const std::vector<BYTE>& bytes) {
    wchar_t buffer[32];
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text = TextOf(bytes);
        return text.substr(0, text.find(L'\0'));
    }
    if (type == REG_MULTI_SZ) {
        std::wstring text = TextOf(bytes);
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        std::wstring shown;
        for (wchar_t c : text) shown += c ? std::wstring(1, c) : std::wstring(L"\\0");
        return shown;
    }
    if ((type == REG_DWORD && bytes.size() == 4) || (type == REG_QWORD && bytes.size() == 8)) {
        unsigned long long number = 0;
        for (size_t i = bytes.size(); i-- > 0;) number = number << 8 | bytes[i];
        swprintf(buffer, 32, L"0x%llx", number);
        return buffer;
    }
    std::wstring hex;
    for (BYTE b : bytes) {
        swprintf(buffer, 32, L"%02X", b);
        hex += buffer;
    }
    return hex;
}

}  // namespace regtool
