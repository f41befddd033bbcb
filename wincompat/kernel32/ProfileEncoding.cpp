// Byte-order marks and the conversions of profile text. Untouched lines are
// never re-encoded (ProfileFile keeps their bytes), so these conversions only
// need to be exact for the lines a write adds or replaces.
#include "kernel32/ProfileEncoding.h"

#include "kernel32/CodePage.h"
#include "prefix/Prefix.h"

#include <winnls.h>

#include <algorithm>

namespace wincompat {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Decoding line by line keeps the line structure whatever the converter
// does with a broken multi-byte sequence next to a line feed.
std::wstring DecodeAnsiByLines(std::string_view body, UINT codePage) {
    std::wstring text;
    size_t start = 0;
    while (start <= body.size()) {
        size_t feed = body.find('\n', start);
        std::string_view line = body.substr(start, feed == std::string_view::npos ? feed : feed - start);
        text += IsAscii(line) ? Widen(line) : WideFromAnsi(line, codePage);
        if (feed == std::string_view::npos) break;
        text += L'\n';
        start = feed + 1;
    }
    return text;
}

std::wstring DecodeMultiByte(std::string_view body, ProfileEncoding encoding, UINT codePage) {
    if (IsAscii(body)) return Widen(body);
    std::wstring text = encoding == ProfileEncoding::Utf8 ? WideFromUtf8(body) : WideFromAnsi(body, codePage);
    if (std::count(text.begin(), text.end(), L'\n') == std::count(body.begin(), body.end(), '\n')) return text;
    return DecodeAnsiByLines(body, encoding == ProfileEncoding::Utf8 ? CP_UTF8 : codePage);
}

std::wstring DecodeUtf16(std::string_view body, bool bigEndian) {
    std::wstring text;
    text.reserve(body.size() / 2);
    auto unitAt = [&](size_t i) -> char32_t {
        unsigned char a = static_cast<unsigned char>(body[i]), b = static_cast<unsigned char>(body[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (size_t i = 0; i + 1 < body.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < body.size()) {
            char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        text += static_cast<wchar_t>(unit);  // a lone surrogate passes through
    }
    return text;
}

void AppendUnit(std::string& out, char32_t unit, bool bigEndian) {
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

std::string EncodeUtf16(std::wstring_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    for (wchar_t c : text) {
        char32_t code = static_cast<char32_t>(c);
        if (code > 0x10FFFF) code = 0xFFFD;
        if (code < 0x10000) {
            AppendUnit(out, code, bigEndian);
            continue;
        }
        code -= 0x10000;
        AppendUnit(out, 0xD800 + (code >> 10), bigEndian);
        AppendUnit(out, 0xDC00 + (code & 0x3FF), bigEndian);
    }
    return out;
}

}  // namespace

ProfileEncoding DetectProfileEncoding(std::string_view bytes, size_t* markLength) {
    for (ProfileEncoding encoding : {ProfileEncoding::Utf8, ProfileEncoding::Utf16LE, ProfileEncoding::Utf16BE}) {
        std::string_view mark = ByteOrderMark(encoding);
        if (bytes.substr(0, mark.size()) == mark) {
            *markLength = mark.size();
            return encoding;
        }
    }
    *markLength = 0;
    return ProfileEncoding::Ansi;
}

std::string_view ByteOrderMark(ProfileEncoding encoding) {
    switch (encoding) {
    case ProfileEncoding::Utf8: return kUtf8Mark;
    case ProfileEncoding::Utf16LE: return kUtf16LEMark;
    case ProfileEncoding::Utf16BE: return kUtf16BEMark;
    case ProfileEncoding::Ansi: break;
    }
    return {};
}

size_t CodeUnitSize(ProfileEncoding encoding) {
    return encoding == ProfileEncoding::Utf16LE || encoding == ProfileEncoding::Utf16BE ? 2 : 1;
}

std::wstring DecodeProfileText(std::string_view body, ProfileEncoding encoding, UINT codePage) {
    switch (encoding) {
    case ProfileEncoding::Utf16LE: return DecodeUtf16(body, false);
    case ProfileEncoding::Utf16BE: return DecodeUtf16(body, true);
    case ProfileEncoding::Utf8:
    case ProfileEncoding::Ansi: break;
    }
    return DecodeMultiByte(body, encoding, codePage);
}

std::string EncodeProfileText(std::wstring_view text, ProfileEncoding encoding, UINT codePage) {
    switch (encoding) {
    case ProfileEncoding::Utf16LE: return EncodeUtf16(text, false);
    case ProfileEncoding::Utf16BE: return EncodeUtf16(text, true);
    case ProfileEncoding::Utf8: return Utf8FromWide(text);
    case ProfileEncoding::Ansi: break;
    }
    return AnsiFromWide(text, codePage);
}

}  // namespace wincompat
