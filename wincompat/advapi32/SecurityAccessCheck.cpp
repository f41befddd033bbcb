#include "advapi32/SecurityAccessCheck.h"

#include "advapi32/AclEntries.h"

namespace wincompat {

namespace {

const std::vector<SidBytes>& TokenSids() {
    static const std::vector<SidBytes> sids = {
        PrefixUserSid(), PrefixGroupSid(), EveryoneSid(), InteractiveSid(),
        AuthenticatedUsersSid(), UsersSid(), AdministratorsSid(),
    };
    return sids;
}

}  // namespace

bool TokenHoldsSid(const void* sid) {
    if (!sid) return false;
    for (const SidBytes& held : TokenSids())
        if (SameSid(held.data(), sid)) return true;
    return false;
}

ACCESS_MASK MapGenericRights(ACCESS_MASK mask, const RightsMapping& mapping) {
    ACCESS_MASK mapped = mask & ~static_cast<ACCESS_MASK>(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
    if (mask & GENERIC_READ) mapped |= mapping.read;
    if (mask & GENERIC_WRITE) mapped |= mapping.write;
    if (mask & GENERIC_EXECUTE) mapped |= mapping.execute;
    if (mask & GENERIC_ALL) mapped |= mapping.all;
    return mapped;
}

bool AccessAllowed(const DescriptorParts& descriptor, ACCESS_MASK desired, const RightsMapping& mapping) {
    const ACL* dacl = descriptor.Dacl();
    if (!descriptor.HasDacl() || !dacl) return true;
    ACCESS_MASK remaining = MapGenericRights(desired, mapping);
    if (!descriptor.owner.empty() && TokenHoldsSid(descriptor.owner.data()))
        remaining &= ~static_cast<ACCESS_MASK>(READ_CONTROL | WRITE_DAC);
    for (DWORD i = 0; remaining && i < dacl->AceCount; ++i) {
        const ACE_HEADER* ace = AceAt(dacl, i);
        if ((ace->AceFlags & INHERIT_ONLY_ACE) || !TokenHoldsSid(AceSid(ace))) continue;
        ACCESS_MASK rights = MapGenericRights(AceMask(ace), mapping);
        if (ace->AceType == ACCESS_DENIED_ACE_TYPE && (rights & remaining)) return false;
        if (ace->AceType == ACCESS_ALLOWED_ACE_TYPE) remaining &= ~rights;
    }
    return remaining == 0;
}

}  // namespace wincompat
