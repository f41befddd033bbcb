#include "app/AnsiText.h"

#include <windows.h>

std::string AnsiFromWide(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}
