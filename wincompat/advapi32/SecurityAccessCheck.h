// The process's token and the access check descriptors are put to.
//
// The process runs as the prefix's interactive user, elevated, as the
// installer runs on Windows: its token holds the user S-1-5-21-0-0-0-1000 and
// the groups ...-513 (its primary group), Everyone, INTERACTIVE,
// Authenticated Users, Users and Administrators. SYSTEM is not among them.
#pragma once

#include "advapi32/SecurityDescriptorParts.h"

namespace wincompat {

bool TokenHoldsSid(const void* sid);

// What the generic rights stand for on one kind of object.
struct RightsMapping {
    ACCESS_MASK read, write, execute, all;
};

ACCESS_MASK MapGenericRights(ACCESS_MASK mask, const RightsMapping& mapping);

// Whether the descriptor grants the token every right in `desired` (generic
// rights mapped). No DACL or a null DACL grants everything; an owner held by
// the token always has READ_CONTROL and WRITE_DAC; entries are taken in order,
// a denied right not yet granted refusing the request; inherit-only entries
// do not apply to the object itself.
bool AccessAllowed(const DescriptorParts& descriptor, ACCESS_MASK desired, const RightsMapping& mapping);

}  // namespace wincompat
