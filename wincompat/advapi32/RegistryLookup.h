// Finding the key a call names: an open key and a subkey path below it.
#pragma once

#include "advapi32/RegistryHandles.h"

namespace wincompat {

// The path of subKey (NULL or empty: the key itself) below `parent`, mapped
// into the view samDesired selects. False for a path that begins with a
// backslash.
bool ResolveSubKey(const OpenKey& parent, LPCWSTR subKey, REGSAM samDesired, KeyPath& path);

// The key an open handle names, or null when it was deleted since. A
// predefined root that has no key yet (HKEY_CLASSES_ROOT) is created.
RegistryKey* FindOpenKey(RegistryKey& root, const OpenKey& key);
const RegistryKey* FindOpenKey(const RegistryKey& root, const OpenKey& key);

}  // namespace wincompat
