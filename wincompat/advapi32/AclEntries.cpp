#include "advapi32/AclEntries.h"

#include "advapi32/SecurityIdentifiers.h"

#include <string.h>

namespace wincompat {

namespace {

constexpr size_t kAceFixedPart = offsetof(ACCESS_ALLOWED_ACE, SidStart);

bool CarriesSid(BYTE type) { return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_DENIED_ACE_TYPE; }

bool AceWellFormed(const ACE_HEADER* ace, size_t available) {
    if (available < sizeof(ACE_HEADER) || ace->AceSize < sizeof(ACE_HEADER) || ace->AceSize > available)
        return false;
    if (!CarriesSid(ace->AceType)) return true;
    if (ace->AceSize < kAceFixedPart) return false;
    return SidLengthWithin(reinterpret_cast<const BYTE*>(ace) + kAceFixedPart, ace->AceSize - kAceFixedPart) != 0;
}

}  // namespace

bool AclWellFormed(const ACL* acl, size_t available) {
    if (!acl || available < sizeof(ACL)) return false;
    if (acl->AclRevision < MIN_ACL_REVISION || acl->AclRevision > MAX_ACL_REVISION) return false;
    if (acl->AclSize < sizeof(ACL) || acl->AclSize > available) return false;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(acl);
    size_t offset = sizeof(ACL);
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        const ACE_HEADER* ace = reinterpret_cast<const ACE_HEADER*>(bytes + offset);
        if (!AceWellFormed(ace, acl->AclSize - offset)) return false;
        offset += ace->AceSize;
    }
    return true;
}

const ACE_HEADER* AceAt(const ACL* acl, DWORD index) {
    if (index >= acl->AceCount) return nullptr;
    const BYTE* entry = reinterpret_cast<const BYTE*>(acl) + sizeof(ACL);
    for (DWORD i = 0; i < index; ++i) entry += reinterpret_cast<const ACE_HEADER*>(entry)->AceSize;
    return reinterpret_cast<const ACE_HEADER*>(entry);
}

DWORD AclBytesInUse(const ACL* acl) {
    DWORD used = sizeof(ACL);
    for (DWORD i = 0; i < acl->AceCount; ++i) used += AceAt(acl, i)->AceSize;
    return used;
}

const void* AceSid(const ACE_HEADER* ace) {
    if (!CarriesSid(ace->AceType)) return nullptr;
    return reinterpret_cast<const BYTE*>(ace) + kAceFixedPart;
}

ACCESS_MASK AceMask(const ACE_HEADER* ace) {
    ACCESS_MASK mask;
    memcpy(&mask, reinterpret_cast<const BYTE*>(ace) + sizeof(ACE_HEADER), sizeof(mask));
    return mask;
}

}  // namespace wincompat
