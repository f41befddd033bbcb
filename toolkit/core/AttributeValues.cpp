// Skin attribute values, read leniently: what cannot be read counts as 0.
#include "toolkit/core/AttributeValues.h"

#include <cwchar>
#include <cwctype>

namespace DuiLib {

namespace {

// The numbers of a comma separated list, as many as there are (at most count).
int ParseNumbers(LPCWSTR value, long* numbers, int count) {
    int found = 0;
    if (!value) return 0;
    const wchar_t* cursor = value;
    while (found < count && *cursor) {
        wchar_t* end = nullptr;
        long number = std::wcstol(cursor, &end, 10);
        if (end == cursor) break;
        numbers[found++] = number;
        cursor = end;
        while (*cursor == L' ') ++cursor;
        if (*cursor != L',') break;
        ++cursor;
    }
    return found;
}

}  // namespace

int ParseInt(LPCWSTR value) {
    long number = 0;
    ParseNumbers(value, &number, 1);
    return static_cast<int>(number);
}

bool ParseBool(LPCWSTR value) {
    if (!value) return false;
    std::wstring text = value;
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text == L"true" || ParseInt(value) != 0;
}

RECT ParseRect(LPCWSTR value) {
    long numbers[4] = {0, 0, 0, 0};
    ParseNumbers(value, numbers, 4);
    return RECT{static_cast<LONG>(numbers[0]), static_cast<LONG>(numbers[1]), static_cast<LONG>(numbers[2]),
                static_cast<LONG>(numbers[3])};
}

SIZE ParseSize(LPCWSTR value) {
    long numbers[2] = {0, 0};
    ParseNumbers(value, numbers, 2);
    return SIZE{static_cast<LONG>(numbers[0]), static_cast<LONG>(numbers[1])};
}

DWORD ParseColor(LPCWSTR value) {
    if (!value) return 0;
    while (*value == L' ') ++value;
    if (*value == L'#') {
        ++value;
    } else if (value[0] == L'0' && (value[1] == L'x' || value[1] == L'X')) {
        value += 2;
    }
    wchar_t* end = nullptr;
    unsigned long color = std::wcstoul(value, &end, 16);
    size_t digits = static_cast<size_t>(end - value);
    if (digits == 6) return 0xFF000000u | static_cast<DWORD>(color);
    if (digits == 8) return static_cast<DWORD>(color);
    return 0;
}

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(LPCWSTR list) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    if (!list) return pairs;
    const wchar_t* cursor = list;
    while (*cursor) {
        while (*cursor && std::iswspace(*cursor)) ++cursor;
        const wchar_t* nameStart = cursor;
        while (*cursor && *cursor != L'=' && !std::iswspace(*cursor)) ++cursor;
        std::wstring name(nameStart, cursor);
        while (*cursor && std::iswspace(*cursor)) ++cursor;
        if (name.empty() || *cursor != L'=') break;
        ++cursor;
        while (*cursor && std::iswspace(*cursor)) ++cursor;
        wchar_t quote = *cursor;
        if (quote != L'"' && quote != L'\'') break;
        const wchar_t* valueStart = ++cursor;
        while (*cursor && *cursor != quote) ++cursor;
        if (!*cursor) break;
        pairs.emplace_back(std::move(name), std::wstring(valueStart, cursor));
        ++cursor;
    }
    return pairs;
}

}  // namespace DuiLib
