#include "dbghelp/Utf16Text.h"

namespace wincompat {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// One code point from text, advancing it.
uint32_t NextCodePoint(const unsigned char*& text) {
    unsigned char lead = *text++;
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead >= 0xF8) return kReplacement;
    uint32_t point = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((*text & 0xC0) != 0x80) return kReplacement;
        point = point << 6 | (*text++ & 0x3F);
    }
    return point > 0x10FFFF ? kReplacement : point;
}

}  // namespace

size_t Utf16FromUtf8(const char* text, uint16_t* units, size_t capacity) {
    const unsigned char* cursor = reinterpret_cast<const unsigned char*>(text);
    size_t count = 0;
    while (*cursor) {
        uint32_t point = NextCodePoint(cursor);
        if (point < 0x10000) {
            if (count + 1 > capacity) break;
            units[count++] = static_cast<uint16_t>(point);
        } else {
            if (count + 2 > capacity) break;
            point -= 0x10000;
            units[count++] = static_cast<uint16_t>(0xD800 | point >> 10);
            units[count++] = static_cast<uint16_t>(0xDC00 | (point & 0x3FF));
        }
    }
    return count;
}

}  // namespace wincompat
