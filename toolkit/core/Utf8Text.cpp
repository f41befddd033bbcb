// UTF-8 conversions through the Windows code page functions.
#include "toolkit/core/Utf8Text.h"

#include <windows.h>

namespace DuiLib {

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) return std::string();
    int length = static_cast<int>(text.size());
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty()) return std::wstring();
    int length = static_cast<int>(text.size());
    int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring result(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), size);
    return result;
}

}  // namespace DuiLib
