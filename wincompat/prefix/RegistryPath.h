// Key paths inside a hive, and link keys: a key flagged as a link stands for
// the key named by its SymbolicLinkValue (REG_LINK, "\Registry\Machine\..."),
// as Wine's prefixes have them (System\CurrentControlSet -> ControlSet001).
#pragma once

#include "prefix/RegistryFormat.h"
#include "prefix/RegistryTree.h"

#include <string>
#include <string_view>
#include <vector>

namespace wincompat {

using KeyPath = std::vector<std::wstring>;

// Splits "a\b\c" into its names; a trailing backslash is allowed, doubled
// ones are skipped. False when the text begins with a backslash.
bool SplitKeyPath(std::wstring_view text, KeyPath& path);
std::wstring JoinKeyPath(const KeyPath& path);

// The key at `path` below the hive's root, following links within the hive.
// realPath receives the path of the key found, free of links. Null when a
// key is missing or the links go round in circles.
RegistryKey* FindKey(const RegistryKey& root, Hive hive, const KeyPath& path, KeyPath* realPath = nullptr);
// The same, creating the keys that are missing; *created says whether the
// key itself is new.
RegistryKey* CreateKey(RegistryKey& root, Hive hive, const KeyPath& path, KeyPath* realPath, bool* created);

// Makes the key at `path` a link to `target`, both real paths in the hive.
void MakeLinkKey(RegistryKey& root, Hive hive, const KeyPath& path, const KeyPath& target);

}  // namespace wincompat
