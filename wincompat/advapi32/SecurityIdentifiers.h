// SIDs as byte strings, and the well-known ones this system knows.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

namespace wincompat {

using SidBytes = std::vector<BYTE>;

// A SID from its authority's last byte (the others are 0) and sub-authorities.
SidBytes MakeSid(BYTE authority, std::initializer_list<DWORD> subAuthorities);

// The length of a valid SID that fits in `available` bytes, 0 otherwise.
DWORD SidLengthWithin(const void* sid, size_t available);

bool SameSid(const void* a, const void* b);

SidBytes EveryoneSid();        // S-1-1-0
SidBytes InteractiveSid();     // S-1-5-4
SidBytes AuthenticatedUsersSid();  // S-1-5-11
SidBytes LocalSystemSid();     // S-1-5-18
SidBytes AdministratorsSid();  // S-1-5-32-544
SidBytes UsersSid();           // S-1-5-32-545
// The prefix's user and its primary group, as Wine names them.
SidBytes PrefixUserSid();      // S-1-5-21-0-0-0-1000
SidBytes PrefixGroupSid();     // S-1-5-21-0-0-0-513

}  // namespace wincompat
