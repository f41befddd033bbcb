// advapi32: RegGetKeySecurity and RegSetKeySecurity, and the check made when a
// key is opened.
#include "advapi32/KeySecurity.h"

#include "advapi32/RegistryAccess.h"
#include "advapi32/RegistryHandles.h"
#include "advapi32/RegistryLookup.h"
#include "advapi32/SecurityAccessCheck.h"
#include "prefix/RegistryStore.h"

#include <stddef.h>
#include <string.h>

namespace wincompat {

namespace {

const RightsMapping kKeyRights = {KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};

std::vector<BYTE> AllowedAce(BYTE flags, ACCESS_MASK mask, const SidBytes& sid) {
    std::vector<BYTE> ace(offsetof(ACCESS_ALLOWED_ACE, SidStart));
    ACE_HEADER header{ACCESS_ALLOWED_ACE_TYPE, flags, static_cast<WORD>(ace.size() + sid.size())};
    memcpy(ace.data(), &header, sizeof(header));
    memcpy(ace.data() + sizeof(header), &mask, sizeof(mask));
    ace.insert(ace.end(), sid.begin(), sid.end());
    return ace;
}

std::vector<BYTE> DefaultKeyDacl() {
    std::vector<BYTE> entries;
    for (auto ace : {AllowedAce(CONTAINER_INHERIT_ACE, KEY_ALL_ACCESS, LocalSystemSid()),
                     AllowedAce(CONTAINER_INHERIT_ACE, KEY_ALL_ACCESS, AdministratorsSid()),
                     AllowedAce(CONTAINER_INHERIT_ACE, KEY_READ, UsersSid())})
        entries.insert(entries.end(), ace.begin(), ace.end());
    ACL header{ACL_REVISION, 0, static_cast<WORD>(sizeof(ACL) + entries.size()), 3, 0};
    std::vector<BYTE> dacl(sizeof(ACL));
    memcpy(dacl.data(), &header, sizeof(header));
    dacl.insert(dacl.end(), entries.begin(), entries.end());
    return dacl;
}

// The rights a handle needs to read or change the parts `information` names.
REGSAM RightsFor(SECURITY_INFORMATION information, bool change) {
    REGSAM rights = (information & SACL_SECURITY_INFORMATION) ? ACCESS_SYSTEM_SECURITY : 0;
    constexpr SECURITY_INFORMATION kOwnerGroup = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION;
    if (!change) return rights | ((information & (kOwnerGroup | DACL_SECURITY_INFORMATION)) ? READ_CONTROL : 0);
    if (information & DACL_SECURITY_INFORMATION) rights |= WRITE_DAC;
    if (information & kOwnerGroup) rights |= WRITE_OWNER;
    return rights;
}

constexpr SECURITY_INFORMATION kKnownParts = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                             DACL_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION;

LONG OpenForSecurity(HKEY handle, SECURITY_INFORMATION information, bool change, OpenKey& open) {
    if (!LookupKeyHandle(handle, open)) return ERROR_INVALID_HANDLE;
    if (!(information & kKnownParts)) return ERROR_INVALID_PARAMETER;
    REGSAM needed = RightsFor(information, change);
    return (open.access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

}  // namespace

DescriptorParts KeyDescriptor(const RegistryKey& key) {
    DescriptorParts parts;
    if (!key.security.empty() && ParseSelfRelative(key.security.data(), key.security.size(), parts)) return parts;
    parts = DescriptorParts{};
    parts.control = SE_DACL_PRESENT;
    parts.owner = AdministratorsSid();
    parts.group = LocalSystemSid();
    parts.dacl = DefaultKeyDacl();
    return parts;
}

bool KeyGrants(const RegistryKey& key, REGSAM desired) {
    DescriptorParts parts;
    // A descriptor that cannot be read counts as none, so a damaged hive line
    // never locks a key for good.
    if (key.security.empty() || !ParseSelfRelative(key.security.data(), key.security.size(), parts)) return true;
    return AccessAllowed(parts, desired, kKeyRights);
}

}  // namespace wincompat

using namespace wincompat;

LONG WINAPI RegSetKeySecurity(HKEY key, SECURITY_INFORMATION securityInformation,
                              PSECURITY_DESCRIPTOR securityDescriptor) {
    OpenKey open;
    if (LONG refused = OpenForSecurity(key, securityInformation, true, open)) return refused;
    DescriptorParts given;
    if (!ReadDescriptor(securityDescriptor, given)) return ERROR_INVALID_PARAMETER;
    return ProcessRegistry().Write(open.hive, [&](RegistryKey& root, bool& changed) -> LONG {
        RegistryKey* target = FindOpenKey(root, open);
        if (!target) return ERROR_KEY_DELETED;
        DescriptorParts parts = KeyDescriptor(*target);
        MergeParts(parts, given, securityInformation);
        target->security = SelfRelativeBytes(parts);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegGetKeySecurity(HKEY key, SECURITY_INFORMATION securityInformation,
                              PSECURITY_DESCRIPTOR securityDescriptor, LPDWORD securityDescriptorSize) {
    if (!securityDescriptorSize) return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (LONG refused = OpenForSecurity(key, securityInformation, false, open)) return refused;
    std::vector<BYTE> bytes;
    LONG status = ProcessRegistry().Read(open.hive, [&](const RegistryKey& root) -> LONG {
        const RegistryKey* target = FindOpenKey(root, open);
        if (!target) return ERROR_KEY_DELETED;
        bytes = SelfRelativeBytes(SelectParts(KeyDescriptor(*target), securityInformation));
        return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS) return status;
    if (CopyToCallerBuffer(bytes, securityDescriptor, *securityDescriptorSize, securityDescriptorSize)) return ERROR_SUCCESS;
    return ERROR_INSUFFICIENT_BUFFER;
}
