#include "app/ChannelIdentity.h"

#include "app/AnsiText.h"

#include <windows.h>

#include <vector>

namespace {

const char kReservedStamp[] = "c121764ed09c";
const wchar_t kSuffix[] = L"qz";
constexpr size_t kIdentityLimit = 12;  // an identity of 12 or more characters keeps 11

std::wstring FallbackIdentity() {
    WCHAR text[MAX_PATH] = {};
    wsprintfW(text, L"gf%s", kSuffix);
    return text;
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ':') fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

}  // namespace

bool IsUsableStamp(const std::string& markerText) {
    return markerText.find("qstart") != std::string::npos && markerText.find("qend") != std::string::npos &&
           markerText.find(kReservedStamp) == std::string::npos;
}

std::string MarkerValue(const std::string& markerText) {
    if (markerText.empty()) return std::string();
    std::vector<std::string> fields = SplitFields(markerText);
    if (fields.size() != 3 || fields[0] != "qstart" || fields[2] != "qend") return std::string();
    return fields[1].substr(0, fields[1].find('#'));
}

std::wstring FileNameStem(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) slash = path.rfind(L'/');
    std::wstring name = slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring ResolveChannelIdentity(const std::string& markerText, bool usable, const std::wstring& modulePath) {
    std::wstring identity;
    if (usable) {
        identity = WideFromAnsi(MarkerValue(markerText));
        if (identity.empty()) identity = FallbackIdentity();
    } else {
        WCHAR text[MAX_PATH] = {};
        std::wstring stem = FileNameStem(modulePath).substr(0, MAX_PATH - 3);  // room for the suffix
        wsprintfW(text, L"%s%s", stem.c_str(), kSuffix);
        identity = text;
        if (identity.empty()) identity = FallbackIdentity();
    }
    if (identity.size() >= kIdentityLimit) identity.resize(kIdentityLimit - 1);
    return identity;
}
