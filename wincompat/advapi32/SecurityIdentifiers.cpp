// SIDs as byte strings: revision, count, 6-byte big-endian authority, then
// the sub-authorities as little-endian DWORDs.
#include "advapi32/SecurityIdentifiers.h"

#include <string.h>

namespace wincompat {

namespace {

constexpr size_t kSidHeader = 8;

}  // namespace

SidBytes MakeSid(BYTE authority, std::initializer_list<DWORD> subAuthorities) {
    SidBytes sid(kSidHeader + subAuthorities.size() * sizeof(DWORD), 0);
    sid[0] = SID_REVISION;
    sid[1] = static_cast<BYTE>(subAuthorities.size());
    sid[7] = authority;
    size_t offset = kSidHeader;
    for (DWORD value : subAuthorities) {
        memcpy(&sid[offset], &value, sizeof(value));
        offset += sizeof(value);
    }
    return sid;
}

DWORD SidLengthWithin(const void* sid, size_t available) {
    if (!sid || available < kSidHeader) return 0;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    if (bytes[0] != SID_REVISION || bytes[1] > SID_MAX_SUB_AUTHORITIES) return 0;
    size_t length = kSidHeader + bytes[1] * sizeof(DWORD);
    return length <= available ? static_cast<DWORD>(length) : 0;
}

bool SameSid(const void* a, const void* b) {
    DWORD length = SidLengthWithin(a, SECURITY_MAX_SID_SIZE);
    return length && length == SidLengthWithin(b, SECURITY_MAX_SID_SIZE) && memcmp(a, b, length) == 0;
}

SidBytes EveryoneSid() { return MakeSid(1, {SECURITY_WORLD_RID}); }
SidBytes InteractiveSid() { return MakeSid(5, {SECURITY_INTERACTIVE_RID}); }
SidBytes AuthenticatedUsersSid() { return MakeSid(5, {SECURITY_AUTHENTICATED_USER_RID}); }
SidBytes LocalSystemSid() { return MakeSid(5, {SECURITY_LOCAL_SYSTEM_RID}); }
SidBytes AdministratorsSid() { return MakeSid(5, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}); }
SidBytes UsersSid() { return MakeSid(5, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS}); }
SidBytes PrefixUserSid() { return MakeSid(5, {21, 0, 0, 0, 1000}); }
SidBytes PrefixGroupSid() { return MakeSid(5, {21, 0, 0, 0, DOMAIN_GROUP_RID_USERS}); }

}  // namespace wincompat
