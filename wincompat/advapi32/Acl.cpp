// advapi32: building and reading access-control lists in place.
#include "advapi32/AclEntries.h"
#include "advapi32/SecurityIdentifiers.h"

#include <string.h>

using namespace wincompat;

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool KnownRevision(DWORD revision) { return revision >= MIN_ACL_REVISION && revision <= MAX_ACL_REVISION; }

// An ACL the caller built: bounded by its own AclSize.
bool UsableAcl(const ACL* acl) { return acl && AclWellFormed(acl, acl->AclSize); }

// Makes room for `length` bytes before entry `index` (or at the end) and
// returns where they go; null when the ACL has no room.
BYTE* OpenGap(ACL* acl, DWORD index, DWORD length) {
    DWORD used = AclBytesInUse(acl);
    if (length > static_cast<DWORD>(acl->AclSize) - used) return nullptr;
    BYTE* bytes = reinterpret_cast<BYTE*>(acl);
    const ACE_HEADER* at = AceAt(acl, index);
    DWORD offset = at ? static_cast<DWORD>(reinterpret_cast<const BYTE*>(at) - bytes) : used;
    memmove(bytes + offset + length, bytes + offset, used - offset);
    return bytes + offset;
}

BOOL AddAllowedEntry(PACL acl, DWORD aceRevision, DWORD aceFlags, DWORD accessMask, PSID sid) {
    if (!UsableAcl(acl)) return Fail(ERROR_INVALID_ACL);
    if (!KnownRevision(aceRevision)) return Fail(ERROR_REVISION_MISMATCH);
    if (aceFlags & ~static_cast<DWORD>(VALID_INHERIT_FLAGS)) return Fail(ERROR_INVALID_FLAGS);
    DWORD sidLength = SidLengthWithin(sid, SECURITY_MAX_SID_SIZE);
    if (!sidLength) return Fail(ERROR_INVALID_SID);
    DWORD length = offsetof(ACCESS_ALLOWED_ACE, SidStart) + sidLength;
    BYTE* entry = OpenGap(acl, acl->AceCount, length);
    if (!entry) return Fail(ERROR_ALLOTTED_SPACE_EXCEEDED);
    ACE_HEADER header{ACCESS_ALLOWED_ACE_TYPE, static_cast<BYTE>(aceFlags), static_cast<WORD>(length)};
    memcpy(entry, &header, sizeof(header));
    memcpy(entry + sizeof(header), &accessMask, sizeof(accessMask));
    memcpy(entry + offsetof(ACCESS_ALLOWED_ACE, SidStart), sid, sidLength);
    acl->AceCount++;
    if (aceRevision > acl->AclRevision) acl->AclRevision = static_cast<BYTE>(aceRevision);
    return TRUE;
}

// The number of well-formed entries in a caller's list of `length` bytes; -1
// when the list does not split into whole entries.
int CountEntries(const BYTE* list, DWORD length) {
    int count = 0;
    for (DWORD offset = 0; offset < length; ++count) {
        if (length - offset < sizeof(ACE_HEADER)) return -1;
        WORD size = reinterpret_cast<const ACE_HEADER*>(list + offset)->AceSize;
        if (size < sizeof(ACE_HEADER) || size > length - offset) return -1;
        offset += size;
    }
    return count;
}

}  // namespace

BOOL WINAPI InitializeAcl(PACL acl, DWORD aclLength, DWORD aclRevision) {
    if (!acl) return Fail(ERROR_INVALID_PARAMETER);
    if (aclLength < sizeof(ACL)) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (aclLength > 0xFFFF || !KnownRevision(aclRevision)) return Fail(ERROR_INVALID_PARAMETER);
    *acl = ACL{static_cast<BYTE>(aclRevision), 0, static_cast<WORD>(aclLength), 0, 0};
    return TRUE;
}

BOOL WINAPI IsValidAcl(PACL acl) { return UsableAcl(acl); }

BOOL WINAPI GetAclInformation(PACL acl, LPVOID information, DWORD informationLength,
                              ACL_INFORMATION_CLASS informationClass) {
    if (!UsableAcl(acl)) return Fail(ERROR_INVALID_ACL);
    if (!information) return Fail(ERROR_INVALID_PARAMETER);
    if (informationClass == AclRevisionInformation) {
        if (informationLength < sizeof(ACL_REVISION_INFORMATION)) return Fail(ERROR_INSUFFICIENT_BUFFER);
        static_cast<ACL_REVISION_INFORMATION*>(information)->AclRevision = acl->AclRevision;
        return TRUE;
    }
    if (informationClass != AclSizeInformation) return Fail(ERROR_INVALID_PARAMETER);
    if (informationLength < sizeof(ACL_SIZE_INFORMATION)) return Fail(ERROR_INSUFFICIENT_BUFFER);
    DWORD used = AclBytesInUse(acl);
    *static_cast<ACL_SIZE_INFORMATION*>(information) = {acl->AceCount, used, acl->AclSize - used};
    return TRUE;
}

BOOL WINAPI GetAce(PACL acl, DWORD aceIndex, LPVOID* ace) {
    if (!UsableAcl(acl)) return Fail(ERROR_INVALID_ACL);
    if (!ace || aceIndex >= acl->AceCount) return Fail(ERROR_INVALID_PARAMETER);
    *ace = const_cast<ACE_HEADER*>(AceAt(acl, aceIndex));
    return TRUE;
}

BOOL WINAPI AddAce(PACL acl, DWORD aceRevision, DWORD startingAceIndex, LPVOID aceList, DWORD aceListLength) {
    if (!UsableAcl(acl)) return Fail(ERROR_INVALID_ACL);
    if (!KnownRevision(aceRevision)) return Fail(ERROR_REVISION_MISMATCH);
    const BYTE* list = static_cast<const BYTE*>(aceList);
    int count = list ? CountEntries(list, aceListLength) : -1;
    if (count < 0 || acl->AceCount + count > 0xFFFF) return Fail(ERROR_INVALID_PARAMETER);
    DWORD index = startingAceIndex > acl->AceCount ? acl->AceCount : startingAceIndex;
    BYTE* gap = OpenGap(acl, index, aceListLength);
    if (!gap) return Fail(ERROR_INSUFFICIENT_BUFFER);
    memmove(gap, list, aceListLength);
    acl->AceCount = static_cast<WORD>(acl->AceCount + count);
    if (aceRevision > acl->AclRevision) acl->AclRevision = static_cast<BYTE>(aceRevision);
    return TRUE;
}

BOOL WINAPI AddAccessAllowedAce(PACL acl, DWORD aceRevision, DWORD accessMask, PSID sid) {
    return AddAllowedEntry(acl, aceRevision, 0, accessMask, sid);
}

BOOL WINAPI AddAccessAllowedAceEx(PACL acl, DWORD aceRevision, DWORD aceFlags, DWORD accessMask, PSID sid) {
    return AddAllowedEntry(acl, aceRevision, aceFlags, accessMask, sid);
}
