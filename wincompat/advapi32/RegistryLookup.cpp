// Paths below open keys.
#include "advapi32/RegistryLookup.h"

#include "advapi32/RegistryAccess.h"
#include "prefix/RegistryView.h"

namespace wincompat {

bool ResolveSubKey(const OpenKey& parent, LPCWSTR subKey, REGSAM samDesired, KeyPath& path) {
    KeyPath below;
    if (!SplitKeyPath(subKey ? subKey : L"", below)) return false;
    path = parent.path;
    if (below.empty()) return true;  // the key itself, in whichever view it was opened
    path.insert(path.end(), below.begin(), below.end());
    path = MapToView(parent.hive, std::move(path), Uses32BitView(samDesired));
    return true;
}

RegistryKey* FindOpenKey(RegistryKey& root, const OpenKey& key) {
    if (key.predefined) return CreateKey(root, key.hive, key.path, nullptr, nullptr);
    return FindKey(root, key.hive, key.path);
}

const RegistryKey* FindOpenKey(const RegistryKey& root, const OpenKey& key) {
    RegistryKey* found = FindKey(root, key.hive, key.path);
    if (!found && key.predefined) {
        static const RegistryKey empty;
        return &empty;
    }
    return found;
}

}  // namespace wincompat
