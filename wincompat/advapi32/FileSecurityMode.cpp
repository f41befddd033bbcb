#include "advapi32/FileSecurityMode.h"

#include "advapi32/AclEntries.h"
#include "advapi32/SecurityAccessCheck.h"

#include <stddef.h>
#include <string.h>
#include <sys/stat.h>

namespace wincompat {

namespace {

const RightsMapping kFileRights = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};

constexpr mode_t kRead = 4, kWrite = 2, kExecute = 1;

// The rights one class of mode bits (rwx as 4, 2, 1) stands for.
ACCESS_MASK RightsOfBits(mode_t bits, bool owner) {
    if ((bits & kWrite) && owner) return FILE_ALL_ACCESS;
    ACCESS_MASK rights = 0;
    if (bits & kRead) rights |= FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
    if (bits & kExecute) rights |= FILE_GENERIC_EXECUTE;
    if (bits & kWrite) rights |= FILE_GENERIC_WRITE | DELETE | FILE_DELETE_CHILD;
    return rights;
}

void AppendAllowed(std::vector<BYTE>& acl, BYTE flags, ACCESS_MASK mask, const SidBytes& sid) {
    size_t at = acl.size();
    acl.resize(at + offsetof(ACCESS_ALLOWED_ACE, SidStart));
    ACE_HEADER header{ACCESS_ALLOWED_ACE_TYPE, flags,
                      static_cast<WORD>(offsetof(ACCESS_ALLOWED_ACE, SidStart) + sid.size())};
    memcpy(&acl[at], &header, sizeof(header));
    memcpy(&acl[at + sizeof(header)], &mask, sizeof(mask));
    acl.insert(acl.end(), sid.begin(), sid.end());
    ACL* top = reinterpret_cast<ACL*>(acl.data());
    top->AceCount++;
    top->AclSize = static_cast<WORD>(acl.size());
}

std::vector<BYTE> DerivedDacl(mode_t mode) {
    std::vector<BYTE> acl(sizeof(ACL));
    *reinterpret_cast<ACL*>(acl.data()) = ACL{ACL_REVISION, 0, sizeof(ACL), 0, 0};
    BYTE flags = S_ISDIR(mode) ? OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE : 0;
    mode_t user = (mode >> 6) & 7, group = (mode >> 3) & 7, other = mode & 7;
    AppendAllowed(acl, flags, FILE_ALL_ACCESS, LocalSystemSid());
    if (user) AppendAllowed(acl, flags, RightsOfBits(user, true), PrefixUserSid());
    if (group & ~other) AppendAllowed(acl, flags, RightsOfBits(group, false), PrefixGroupSid());
    if (other) AppendAllowed(acl, flags, RightsOfBits(other, false), EveryoneSid());
    return acl;
}

// What the DACL lets Everyone do, entries taken in order, denials first come.
ACCESS_MASK EveryoneRights(const ACL* dacl) {
    SidBytes everyone = EveryoneSid();
    ACCESS_MASK granted = 0, denied = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        const ACE_HEADER* ace = AceAt(dacl, i);
        const void* sid = AceSid(ace);
        if ((ace->AceFlags & INHERIT_ONLY_ACE) || !sid || !SameSid(sid, everyone.data())) continue;
        ACCESS_MASK rights = MapGenericRights(AceMask(ace), kFileRights);
        if (ace->AceType == ACCESS_DENIED_ACE_TYPE) denied |= rights & ~granted;
        else granted |= rights & ~denied;
    }
    return granted;
}

}  // namespace

DescriptorParts DerivedFileDescriptor(mode_t mode) {
    DescriptorParts parts;
    parts.control = SE_DACL_PRESENT;
    parts.owner = PrefixUserSid();
    parts.group = PrefixGroupSid();
    parts.dacl = DerivedDacl(mode);
    return parts;
}

mode_t MirroredMode(mode_t mode, const ACL* dacl) {
    if (!dacl) return mode;
    ACCESS_MASK rights = EveryoneRights(dacl);
    mode_t bits = 0;
    if (rights & FILE_READ_DATA) bits |= kRead;
    if (rights & (FILE_WRITE_DATA | FILE_APPEND_DATA)) bits |= kWrite;
    if (rights & FILE_EXECUTE) bits |= kExecute;
    if (!S_ISDIR(mode)) {
        if (!(mode & (S_IWUSR | S_IWGRP | S_IWOTH))) bits &= ~kWrite;
        if (!(mode & (S_IXUSR | S_IXGRP | S_IXOTH))) bits &= ~kExecute;
    }
    return mode | (bits << 6) | (bits << 3) | bits;
}

}  // namespace wincompat
