#include "kernel32/ProcessEnvironment.h"

#include "prefix/Prefix.h"

#include <windows.h>

#include <string.h>
#include <wchar.h>

extern char** environ;

namespace wincompat {

namespace {

std::string AnsiToUtf8(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return text;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return Utf8FromWide(wide);
}

std::vector<std::string> BlockEntries(const void* block, bool unicode) {
    std::vector<std::string> entries;
    if (unicode) {
        for (auto* p = static_cast<const wchar_t*>(block); *p; p += wcslen(p) + 1) entries.push_back(Utf8FromWide(p));
    } else {
        for (auto* p = static_cast<const char*>(block); *p; p += strlen(p) + 1) entries.push_back(AnsiToUtf8(p));
    }
    return entries;
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

void Replace(std::vector<std::string>& entries, const std::string& entry) {
    std::string name = NameOf(entry);
    std::erase_if(entries, [&](const std::string& e) { return NameOf(e) == name; });
    entries.push_back(entry);
}

}  // namespace

std::vector<std::string> ChildEnvironment(const void* block, bool unicode, const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    if (block) {
        entries = BlockEntries(block, unicode);
    } else {
        for (char** entry = environ; *entry; ++entry) entries.emplace_back(*entry);
    }
    // Windows keeps per-drive folders as "=C:=C:\..."; they mean nothing to a unix child.
    std::erase_if(entries, [](const std::string& e) { return e.empty() || e[0] == '='; });
    if (!PrefixRoot().empty()) Replace(entries, "WINCOMPAT_PREFIX=" + PrefixRoot());
    for (const std::string& entry : extra) Replace(entries, entry);
    return entries;
}

}  // namespace wincompat
