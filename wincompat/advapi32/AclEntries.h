// Reading the entries of an ACL: the checks every ACL call shares.
#pragma once

#include <windows.h>

#include <stddef.h>

namespace wincompat {

// Whether the ACL is well formed within `available` bytes: a known revision,
// AclSize within reach, every entry inside AclSize, and allowed or denied
// entries holding a valid SID.
bool AclWellFormed(const ACL* acl, size_t available);

// The entry at index, or null past the last; the ACL must be well formed.
const ACE_HEADER* AceAt(const ACL* acl, DWORD index);

// The header plus all entries.
DWORD AclBytesInUse(const ACL* acl);

// The SID of an access-allowed or access-denied entry, null for other types.
const void* AceSid(const ACE_HEADER* ace);
ACCESS_MASK AceMask(const ACE_HEADER* ace);

}  // namespace wincompat
