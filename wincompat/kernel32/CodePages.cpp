// MultiByteToWideChar / WideCharToMultiByte over iconv, with the ANSI code
// page of the emulated machine.
#include <windows.h>

#include "kernel32/CodePage.h"
#include "prefix/CodePageNames.h"
#include "prefix/Machine.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string.h>

#include <string>

using namespace wincompat;

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

UINT CodePageOfCharset(const std::string& charset) {
    std::string name = Upper(charset);
    if (name == "UTF-8" || name == "UTF8") return CP_UTF8;
    if (name == "GBK" || name == "GB2312" || name == "GB18030" || name == "CP936") return 936;
    if (name == "BIG5") return 950;
    if (name == "EUC-JP" || name == "SHIFT_JIS" || name == "SJIS") return 932;
    if (name == "EUC-KR") return 949;
    if (name == "ISO-8859-1") return 28591;
    if (name.rfind("CP", 0) == 0 && name.size() > 2) return static_cast<UINT>(atoi(name.c_str() + 2));
    return 20127;  // US-ASCII for the C locale
}

UINT LocaleCodePage() {
    locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (!locale) return 20127;
    UINT codePage = CodePageOfCharset(nl_langinfo_l(CODESET, locale));
    freelocale(locale);
    return codePage;
}

UINT Resolve(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP) return AnsiCodePage();
    return codePage;
}

class Converter {
public:
    Converter(const std::string& to, const std::string& from) : handle_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// Converts bytes to wide text; invalid bytes become U+FFFD unless strict.
bool ToWide(UINT codePage, std::string_view input, bool strict, std::wstring& out) {
    if (codePage == CP_UTF8) {
        out = WideFromUtf8(input);
        return !strict || out.find(L'\xFFFD') == std::wstring::npos || Utf8FromWide(out) == input;
    }
    Converter converter("UTF-32LE", IconvNameOfCodePage(codePage));
    if (!converter.valid()) return false;
    out.clear();
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        wchar_t chunk[256];
        char* outPtr = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof(chunk);
        size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, (sizeof(chunk) - outLeft) / sizeof(wchar_t));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            if (strict) return false;
            out += L'\xFFFD';
            ++in, --inLeft;
        }
    }
    return true;
}

// Converts wide text to bytes; unmappable characters become defaultChar.
bool FromWide(UINT codePage, std::wstring_view input, const char* defaultChar, bool* usedDefault,
              std::string& out) {
    if (codePage == CP_UTF8) {
        out = Utf8FromWide(input);
        return true;
    }
    Converter converter(IconvNameOfCodePage(codePage), "UTF-32LE");
    if (!converter.valid()) return false;
    out.clear();
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(input.data()));
    size_t inLeft = input.size() * sizeof(wchar_t);
    while (inLeft > 0) {
        char chunk[512];
        char* outPtr = chunk;
        size_t outLeft = sizeof(chunk);
        size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, sizeof(chunk) - outLeft);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            out += defaultChar ? defaultChar : "?";
            if (usedDefault) *usedDefault = true;
            in += sizeof(wchar_t), inLeft -= sizeof(wchar_t);
        }
    }
    return true;
}

}  // namespace

namespace wincompat {

UINT AnsiCodePage() {
    static const UINT codePage = CurrentMachine().codePage ? CurrentMachine().codePage : LocaleCodePage();
    return codePage;
}

std::string AnsiFromWide(std::wstring_view text, UINT codePage) {
    std::string out;
    FromWide(Resolve(codePage), text, nullptr, nullptr, out);
    return out;
}

std::wstring WideFromAnsi(std::string_view text, UINT codePage) {
    std::wstring out;
    ToWide(Resolve(codePage), text, false, out);
    return out;
}

}  // namespace wincompat

extern "C" UINT WINAPI GetACP(void) { return AnsiCodePage(); }

extern "C" int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR input, int inputLength,
                                          LPWSTR output, int outputLength) {
    if (!input || inputLength == 0 || outputLength < 0 || (output && output == reinterpret_cast<LPCWSTR>(input))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = inputLength < 0 ? strlen(input) + 1 : static_cast<size_t>(inputLength);
    std::wstring wide;
    if (!ToWide(Resolve(codePage), std::string_view(input, length), (flags & MB_ERR_INVALID_CHARS) != 0, wide)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (outputLength == 0) return static_cast<int>(wide.size());
    if (wide.size() > static_cast<size_t>(outputLength)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    wmemcpy(output, wide.data(), wide.size());
    return static_cast<int>(wide.size());
}

extern "C" int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR input, int inputLength,
                                          LPSTR output, int outputLength, LPCSTR defaultChar,
                                          LPBOOL usedDefaultChar) {
    UINT resolved = Resolve(codePage);
    if (!input || inputLength == 0 || outputLength < 0 ||
        (resolved == CP_UTF8 && (defaultChar || usedDefaultChar))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = inputLength < 0 ? wcslen(input) + 1 : static_cast<size_t>(inputLength);
    bool usedDefault = false;
    std::string bytes;
    if (!FromWide(resolved, std::wstring_view(input, length), defaultChar, &usedDefault, bytes)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    if (outputLength == 0) return static_cast<int>(bytes.size());
    if (bytes.size() > static_cast<size_t>(outputLength)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(output, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
}
