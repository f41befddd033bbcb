// Security descriptors of registry keys, as RegistryKey::security keeps them.
#pragma once

#include "advapi32/SecurityDescriptorParts.h"
#include "prefix/RegistryTree.h"

namespace wincompat {

// The key's stored descriptor, or the default one of a key that has none:
// owner Administrators, group SYSTEM, DACL (A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;CI;KR;;;BU).
DescriptorParts KeyDescriptor(const RegistryKey& key);

// Whether the key lets the token have `desired` (key rights, generic ones
// mapped). A key without a stored descriptor grants everything.
bool KeyGrants(const RegistryKey& key, REGSAM desired);

}  // namespace wincompat
