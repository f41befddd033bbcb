// _wtoi and the case-insensitive comparisons of the Microsoft C runtime. In
// the "C" locale they fold ASCII letters only.
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <limits.h>

namespace {

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c + (L'a' - L'A') : c; }

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Leading white space, an optional sign, then digits up to the first other
// character; out of range clamps to the limits, as the runtime does.
long long ParseDecimal(const wchar_t* text, long long minimum, long long maximum) {
    if (!text) return 0;
    while (IsSpace(*text)) ++text;
    bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+') ++text;
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > maximum + 1LL) value = maximum + 1LL;  // saturate, keep room for the minimum
    }
    value = negative ? -value : value;
    return value < minimum ? minimum : (value > maximum ? maximum : value);
}

}  // namespace

extern "C" int _wtoi(const wchar_t* str) { return static_cast<int>(ParseDecimal(str, INT_MIN, INT_MAX)); }

extern "C" long _wtol(const wchar_t* str) {
    // The Windows long is 32 bits wide.
    return static_cast<long>(ParseDecimal(str, INT_MIN, INT_MAX));
}

extern "C" int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        wchar_t x = LowerAscii(a[i]), y = LowerAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
        if (!x) break;
    }
    return 0;
}

extern "C" int _wcsicmp(const wchar_t* a, const wchar_t* b) { return _wcsnicmp(a, b, static_cast<size_t>(-1)); }

extern "C" int _stricmp(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int x = (*a >= 'A' && *a <= 'Z') ? *a + 32 : static_cast<unsigned char>(*a);
        int y = (*b >= 'A' && *b <= 'Z') ? *b + 32 : static_cast<unsigned char>(*b);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}
