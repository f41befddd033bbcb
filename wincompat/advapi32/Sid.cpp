// advapi32: allocating, measuring, comparing and copying SIDs.
#include "advapi32/SecurityIdentifiers.h"

#include <stdlib.h>
#include <string.h>

using namespace wincompat;

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY identifierAuthority, BYTE subAuthorityCount,
                                     DWORD subAuthority0, DWORD subAuthority1, DWORD subAuthority2,
                                     DWORD subAuthority3, DWORD subAuthority4, DWORD subAuthority5,
                                     DWORD subAuthority6, DWORD subAuthority7, PSID* sid) {
    if (!identifierAuthority || !sid || subAuthorityCount > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD values[8] = {subAuthority0, subAuthority1, subAuthority2, subAuthority3,
                             subAuthority4, subAuthority5, subAuthority6, subAuthority7};
    SID* made = static_cast<SID*>(calloc(1, GetSidLengthRequired(subAuthorityCount)));
    if (!made) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    made->Revision = SID_REVISION;
    made->SubAuthorityCount = subAuthorityCount;
    made->IdentifierAuthority = *identifierAuthority;
    memcpy(made->SubAuthority, values, subAuthorityCount * sizeof(DWORD));
    *sid = made;
    return TRUE;
}

PVOID WINAPI FreeSid(PSID sid) {
    free(sid);
    return nullptr;
}

BOOL WINAPI IsValidSid(PSID sid) { return SidLengthWithin(sid, SECURITY_MAX_SID_SIZE) != 0; }

DWORD WINAPI GetLengthSid(PSID sid) {
    SetLastError(ERROR_SUCCESS);
    return SidLengthWithin(sid, SECURITY_MAX_SID_SIZE);
}

DWORD WINAPI GetSidLengthRequired(UCHAR subAuthorityCount) {
    return 8 + static_cast<DWORD>(subAuthorityCount) * sizeof(DWORD);
}

BOOL WINAPI EqualSid(PSID sid1, PSID sid2) {
    if (!IsValidSid(sid1) || !IsValidSid(sid2)) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return SameSid(sid1, sid2);
}

BOOL WINAPI CopySid(DWORD destinationLength, PSID destination, PSID source) {
    DWORD length = SidLengthWithin(source, SECURITY_MAX_SID_SIZE);
    if (!length) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    if (!destination || destinationLength < length) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(destination, source, length);
    return TRUE;
}
