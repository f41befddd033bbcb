// 8.3 names for file entry items. The prefix keeps no short names, so one is
// made the way FAT and NTFS make them: a name that already fits stays as it is,
// others become the first six usable characters, "~1" and the extension's first three.
#include "shell32/ShellLinkFormat.h"

#include <wchar.h>
#include <wctype.h>

namespace wincompat {

namespace {

bool UsableInShortName(wchar_t c) {
    if (c <= L' ' || c >= 0x7F) return false;
    return !wcschr(L"\"*+,./:;<=>?[\\]|", c);
}

bool FitsShortName(const std::wstring& name) {
    size_t dot = name.find(L'.');
    std::wstring base = name.substr(0, dot);
    std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3) return false;
    if (dot != std::wstring::npos && extension.empty()) return false;
    for (wchar_t c : base + extension)
        if (!UsableInShortName(c)) return false;
    return true;
}

std::string UsableUpper(const std::wstring& text, size_t limit) {
    std::string out;
    for (wchar_t c : text) {
        if (out.size() == limit) break;
        if (UsableInShortName(c)) out += static_cast<char>(towupper(c));
    }
    return out;
}

// For names without usable characters, as Windows does: four hex digits of a hash.
std::string HashedBase(const std::wstring& name) {
    unsigned hash = 0;
    for (wchar_t c : name) hash = hash * 31 + static_cast<unsigned>(c);
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(hash >> shift) & 0xF];
    return out;
}

}  // namespace

std::string ShortNameFor(const std::wstring& longName) {
    if (FitsShortName(longName)) return std::string(longName.begin(), longName.end());
    size_t dot = longName.rfind(L'.');
    std::wstring base = dot == std::wstring::npos || dot == 0 ? longName : longName.substr(0, dot);
    std::wstring extension = dot == std::wstring::npos || dot == 0 ? L"" : longName.substr(dot + 1);
    std::string shortBase = UsableUpper(base, 6);
    if (shortBase.empty()) shortBase = HashedBase(longName);
    std::string shortExtension = UsableUpper(extension, 3);
    return shortBase + "~1" + (shortExtension.empty() ? "" : "." + shortExtension);
}

}  // namespace wincompat
