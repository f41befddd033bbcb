// Walking key paths, through link keys.
#include "prefix/RegistryPath.h"

#include "prefix/Prefix.h"
#include "prefix/RegistryText.h"

namespace wincompat {

namespace {

constexpr int kMostLinks = 16;
constexpr wchar_t kLinkValue[] = L"SymbolicLinkValue";

// The path inside this hive a link key points at; false for a target
// elsewhere or a damaged link.
bool LinkTarget(const RegistryKey& link, Hive hive, KeyPath& target) {
    const RegistryValue* value = link.FindValue(kLinkValue);
    if (!value || value->type != 6) return false;
    std::wstring text = WideFromUtf16(Utf16FromBytes(value->data));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    std::wstring root = HiveObjectName(hive);
    if (text.size() <= root.size() || !EqualNoCase(std::wstring_view(text).substr(0, root.size()), root) ||
        text[root.size()] != L'\\')
        return false;
    return SplitKeyPath(std::wstring_view(text).substr(root.size() + 1), target);
}

// One walk for both finding and creating: `create` adds missing keys.
RegistryKey* Walk(RegistryKey& root, Hive hive, KeyPath path, KeyPath* realPath, bool create, bool* created) {
    RegistryKey* key = &root;
    KeyPath real;
    if (created) *created = false;
    size_t i = 0;
    for (int links = 0; i < path.size();) {
        RegistryKey* next = create ? &key->AddSubkey(path[i], created) : key->FindSubkey(path[i]);
        if (!next) return nullptr;
        KeyPath target;
        if (next->isLink && LinkTarget(*next, hive, target)) {
            if (++links > kMostLinks) return nullptr;
            target.insert(target.end(), path.begin() + i + 1, path.end());
            path = std::move(target);
            key = &root;
            real.clear();
            i = 0;
            continue;
        }
        real.push_back(next->name);
        key = next;
        ++i;
    }
    if (realPath) *realPath = std::move(real);
    return key;
}

}  // namespace

bool SplitKeyPath(std::wstring_view text, KeyPath& path) {
    path.clear();
    if (!text.empty() && text[0] == L'\\') return false;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find(L'\\', begin);
        if (end == std::wstring_view::npos) end = text.size();
        if (end > begin) path.emplace_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return true;
}

std::wstring JoinKeyPath(const KeyPath& path) {
    std::wstring text;
    for (const std::wstring& name : path) {
        if (!text.empty()) text += L'\\';
        text += name;
    }
    return text;
}

RegistryKey* FindKey(const RegistryKey& root, Hive hive, const KeyPath& path, KeyPath* realPath) {
    return Walk(const_cast<RegistryKey&>(root), hive, path, realPath, false, nullptr);
}

RegistryKey* CreateKey(RegistryKey& root, Hive hive, const KeyPath& path, KeyPath* realPath, bool* created) {
    return Walk(root, hive, path, realPath, true, created);
}

void MakeLinkKey(RegistryKey& root, Hive hive, const KeyPath& path, const KeyPath& target) {
    RegistryKey* key = &root;
    for (const std::wstring& name : path) key = &key->AddSubkey(name);
    key->isLink = true;
    std::u16string text = Utf16FromWide(HiveObjectName(hive) + L"\\" + JoinKeyPath(target));
    key->SetValue(kLinkValue, 6, BytesFromUtf16(text));
}

}  // namespace wincompat
