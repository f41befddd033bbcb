// wsprintfW: the Windows formatter, where %s is wide text and %S narrow text,
// and output stops at 1024 characters.
#include <windows.h>

#include "kernel32/CodePage.h"

#include <stdarg.h>
#include <string.h>
#include <wchar.h>

#include <string>

namespace {

constexpr size_t kMaximumOutput = 1024;  // characters, terminator included

struct Conversion {
    bool left = false, alternate = false, zero = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    enum class Size { Default, Short, Long, Int64 } size = Size::Default;
};

void Pad(std::wstring& out, const std::wstring& text, const Conversion& conversion, wchar_t fill = L' ') {
    size_t padding = conversion.width > text.size() ? conversion.width - text.size() : 0;
    if (conversion.left) {
        out += text;
        out.append(padding, L' ');
    } else {
        out.append(padding, fill);
        out += text;
    }
}

std::wstring Digits(uint64_t value, unsigned base, bool upper) {
    const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[value % base]);
        value /= base;
    } while (value);
    return text;
}

void FormatInteger(std::wstring& out, wchar_t type, const Conversion& conversion, va_list* args) {
    bool isSigned = type == L'd' || type == L'i';
    uint64_t magnitude;
    bool negative = false;
    if (conversion.size == Conversion::Size::Int64) {
        int64_t value = va_arg(*args, int64_t);
        negative = isSigned && value < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    } else {
        // int and the 32-bit long of Windows: the low 32 bits of the argument.
        uint32_t bits = va_arg(*args, uint32_t);
        if (conversion.size == Conversion::Size::Short) bits &= 0xFFFF;
        int32_t value = static_cast<int32_t>(bits);
        negative = isSigned && value < 0;
        magnitude = negative ? 0 - static_cast<int64_t>(value) : (isSigned ? static_cast<uint64_t>(value) : bits);
    }
    unsigned base = (type == L'x' || type == L'X') ? 16 : 10;
    std::wstring digits = Digits(magnitude, base, type == L'X');
    if (conversion.hasPrecision && digits.size() < conversion.precision) digits.insert(0, conversion.precision - digits.size(), L'0');
    std::wstring prefix = negative ? L"-" : L"";
    if (conversion.alternate && base == 16 && magnitude) prefix += type == L'X' ? L"0X" : L"0x";
    if (conversion.zero && !conversion.left && !conversion.hasPrecision) {
        size_t length = prefix.size() + digits.size();
        if (conversion.width > length) digits.insert(0, conversion.width - length, L'0');
    }
    Pad(out, prefix + digits, conversion);
}

void FormatText(std::wstring& out, bool wide, const Conversion& conversion, va_list* args) {
    std::wstring text;
    if (wide) {
        const wchar_t* value = va_arg(*args, const wchar_t*);
        text = value ? value : L"(null)";
    } else {
        const char* value = va_arg(*args, const char*);
        text = value ? wincompat::WideFromAnsi(value) : L"(null)";
    }
    if (conversion.hasPrecision && text.size() > conversion.precision) text.resize(conversion.precision);
    Pad(out, text, conversion);
}

const wchar_t* ParseConversion(const wchar_t* p, Conversion& conversion) {
    for (;; ++p) {
        if (*p == L'-') conversion.left = true;
        else if (*p == L'#') conversion.alternate = true;
        else if (*p == L'0') conversion.zero = true;
        else break;
    }
    while (*p >= L'0' && *p <= L'9') conversion.width = conversion.width * 10 + (*p++ - L'0');
    if (*p == L'.') {
        conversion.hasPrecision = true;
        for (++p; *p >= L'0' && *p <= L'9'; ++p) conversion.precision = conversion.precision * 10 + (*p - L'0');
    }
    if (*p == L'l' || *p == L'w') conversion.size = Conversion::Size::Long, ++p;
    else if (*p == L'h') conversion.size = Conversion::Size::Short, ++p;
    else if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') conversion.size = Conversion::Size::Int64, p += 3;
    return p;
}

std::wstring Format(const wchar_t* format, va_list* args) {
    std::wstring out;
    for (const wchar_t* p = format; *p && out.size() < kMaximumOutput; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        Conversion conversion;
        p = ParseConversion(p + 1, conversion);
        switch (*p) {
        case L'\0': return out;
        case L'd': case L'i': case L'u': case L'x': case L'X': FormatInteger(out, *p, conversion, args); break;
        // %s follows the function's width; h forces narrow, l forces wide.
        case L's': FormatText(out, conversion.size != Conversion::Size::Short, conversion, args); break;
        case L'S': FormatText(out, conversion.size == Conversion::Size::Long, conversion, args); break;
        case L'c':
        case L'C': {
            int value = va_arg(*args, int);
            bool wide = (*p == L'c') ? conversion.size != Conversion::Size::Short : conversion.size == Conversion::Size::Long;
            wchar_t c = wide ? static_cast<wchar_t>(value) : wincompat::WideFromAnsi(std::string(1, static_cast<char>(value)))[0];
            Pad(out, std::wstring(1, c), conversion);
            break;
        }
        default: out += *p; break;  // "%%" and unknown types print the character itself
        }
    }
    return out;
}

}  // namespace

extern "C" int WINAPI wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args) {
    if (!buffer || !format) return 0;
    va_list copy;
    va_copy(copy, args);
    std::wstring text = Format(format, &copy);
    va_end(copy);
    if (text.size() > kMaximumOutput - 1) text.resize(kMaximumOutput - 1);
    wmemcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

extern "C" int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    int length = wvsprintfW(buffer, format, args);
    va_end(args);
    return length;
}
