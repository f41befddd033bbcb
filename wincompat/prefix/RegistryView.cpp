// The 32-bit view's redirection of HKLM\Software.
#include "prefix/RegistryView.h"

#include "prefix/Prefix.h"

namespace wincompat {

namespace {

constexpr wchar_t kWow64Node[] = L"Wow6432Node";

bool IsRedirectedClass(const std::wstring& name) {
    for (const wchar_t* redirected : {L"CLSID", L"Interface", L"DirectShow", L"Media Type", L"MediaFoundation"})
        if (EqualNoCase(name, redirected)) return true;
    return false;
}

// path[index] is "Classes" below Software: shared, except the redirected subkeys.
KeyPath MapClasses(KeyPath path, size_t index) {
    KeyPath mapped(path.begin(), path.begin() + 1);
    mapped.push_back(path[index]);
    bool redirect = path.size() > index + 1 && IsRedirectedClass(path[index + 1]);
    if (redirect) mapped.push_back(kWow64Node);
    mapped.insert(mapped.end(), path.begin() + index + 1, path.end());
    return mapped;
}

}  // namespace

KeyPath MapToView(Hive hive, KeyPath path, bool view32) {
    if (hive != Hive::LocalMachine || path.empty() || !EqualNoCase(path[0], L"Software")) return path;
    bool explicitNode = path.size() > 1 && EqualNoCase(path[1], kWow64Node);
    if (explicitNode && path.size() > 2 && EqualNoCase(path[2], L"Classes")) return MapClasses(std::move(path), 2);
    if (!view32 || explicitNode) return path;
    if (path.size() > 1 && EqualNoCase(path[1], L"Classes")) {
        if (path.size() > 2 && EqualNoCase(path[2], kWow64Node)) return path;
        return MapClasses(std::move(path), 1);
    }
    path.insert(path.begin() + 1, kWow64Node);
    return path;
}

}  // namespace wincompat
