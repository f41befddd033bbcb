#include "install/SevenZipText.h"

namespace sevenzip {

namespace {

constexpr bool kWideIsUtf32 = sizeof(WCHAR) == 4;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::wstring WideFromLibraryText(const WCHAR* text) {
    std::wstring wide;
    if (!text) return wide;
    for (const WCHAR* p = text; *p; ++p) {
        const uint32_t unit = static_cast<uint32_t>(*p);
        if (kWideIsUtf32 && IsHighSurrogate(unit) && IsLowSurrogate(static_cast<uint32_t>(p[1]))) {
            const uint32_t low = static_cast<uint32_t>(*++p);
            wide.push_back(static_cast<WCHAR>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        } else {
            wide.push_back(*p);
        }
    }
    return wide;
}

BSTR AllocLibraryString(const Library& library, const std::wstring& text) {
    std::wstring units;
    units.reserve(text.size());
    for (WCHAR c : text) {
        const uint32_t code = static_cast<uint32_t>(c);
        if (kWideIsUtf32 && code > 0xFFFF) {
            units.push_back(static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<WCHAR>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            units.push_back(c);
        }
    }
    return library.SysAllocString(units.c_str());
}

}  // namespace sevenzip
