// UTF-16 for registry text.
#include "prefix/RegistryText.h"

namespace wincompat {

bool IsRegistryStringType(DWORD type) { return type == 1 || type == 2 || type == 7; }

std::u16string Utf16FromWide(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        char32_t point = static_cast<char32_t>(c);
        if (point > 0x10FFFF) point = 0xFFFD;
        if (point < 0x10000) {
            out += static_cast<char16_t>(point);
        } else {
            point -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (point >> 10));
            out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        }
    }
    return out;
}

std::wstring WideFromUtf16(std::u16string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

std::vector<BYTE> BytesFromUtf16(std::u16string_view text) {
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    return bytes;
}

std::u16string Utf16FromBytes(const std::vector<BYTE>& bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

}  // namespace wincompat
