// advapi32: security descriptors, absolute (pointers to the parts) and
// self-relative (offsets from the descriptor's start).
#include "advapi32/AclEntries.h"
#include "advapi32/SecurityDescriptorParts.h"

#include <string.h>

using namespace wincompat;

namespace {

constexpr SECURITY_DESCRIPTOR_CONTROL kSettableControl =
    SE_DACL_AUTO_INHERIT_REQ | SE_SACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED | SE_SACL_AUTO_INHERITED |
    SE_DACL_PROTECTED | SE_SACL_PROTECTED | SE_RM_CONTROL_VALID;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

SECURITY_DESCRIPTOR* Header(PSECURITY_DESCRIPTOR descriptor) {
    return static_cast<SECURITY_DESCRIPTOR*>(descriptor);
}

bool IsSelfRelative(PSECURITY_DESCRIPTOR descriptor) { return Header(descriptor)->Control & SE_SELF_RELATIVE; }

// An absolute descriptor that a Set call may change; sets the error otherwise.
SECURITY_DESCRIPTOR* Changeable(PSECURITY_DESCRIPTOR descriptor) {
    if (!descriptor) return SetLastError(ERROR_INVALID_PARAMETER), nullptr;
    if (Header(descriptor)->Revision != SECURITY_DESCRIPTOR_REVISION)
        return SetLastError(ERROR_UNKNOWN_REVISION), nullptr;
    if (IsSelfRelative(descriptor)) return SetLastError(ERROR_INVALID_SECURITY_DESCR), nullptr;
    return Header(descriptor);
}

// The address of a part: a pointer in the absolute form, an offset (0: none)
// in the self-relative one. `field` is the part's index among Owner, Group,
// Sacl, Dacl.
void* PartAddress(PSECURITY_DESCRIPTOR descriptor, int field) {
    if (!IsSelfRelative(descriptor)) {
        SECURITY_DESCRIPTOR* absolute = Header(descriptor);
        void* parts[] = {absolute->Owner, absolute->Group, absolute->Sacl, absolute->Dacl};
        return parts[field];
    }
    const SECURITY_DESCRIPTOR_RELATIVE* relative = static_cast<SECURITY_DESCRIPTOR_RELATIVE*>(descriptor);
    DWORD offsets[] = {relative->Owner, relative->Group, relative->Sacl, relative->Dacl};
    return offsets[field] ? static_cast<BYTE*>(descriptor) + offsets[field] : nullptr;
}

enum Field { kOwner, kGroup, kSacl, kDacl };

bool Readable(PSECURITY_DESCRIPTOR descriptor) {
    if (!descriptor) return SetLastError(ERROR_INVALID_PARAMETER), false;
    if (Header(descriptor)->Revision != SECURITY_DESCRIPTOR_REVISION) return SetLastError(ERROR_UNKNOWN_REVISION), false;
    return true;
}

BOOL GetSid(PSECURITY_DESCRIPTOR descriptor, Field field, SECURITY_DESCRIPTOR_CONTROL defaultedFlag, PSID* sid,
            LPBOOL defaulted) {
    if (!Readable(descriptor)) return FALSE;
    if (!sid || !defaulted) return Fail(ERROR_INVALID_PARAMETER);
    *sid = PartAddress(descriptor, field);
    *defaulted = (Header(descriptor)->Control & defaultedFlag) != 0;
    return TRUE;
}

BOOL SetSid(PSECURITY_DESCRIPTOR descriptor, PSID SECURITY_DESCRIPTOR::*member,
            SECURITY_DESCRIPTOR_CONTROL defaultedFlag, PSID sid, BOOL defaulted) {
    SECURITY_DESCRIPTOR* absolute = Changeable(descriptor);
    if (!absolute) return FALSE;
    absolute->*member = sid;
    absolute->Control = defaulted ? (absolute->Control | defaultedFlag) : (absolute->Control & ~defaultedFlag);
    return TRUE;
}

}  // namespace

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR securityDescriptor, DWORD revision) {
    if (!securityDescriptor) return Fail(ERROR_INVALID_PARAMETER);
    if (revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
    *Header(securityDescriptor) = SECURITY_DESCRIPTOR{SECURITY_DESCRIPTOR_REVISION, 0, 0, nullptr, nullptr,
                                                      nullptr, nullptr};
    return TRUE;
}

BOOL WINAPI IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR securityDescriptor) {
    DescriptorParts parts;
    if (ReadDescriptor(securityDescriptor, parts)) return TRUE;
    return Fail(ERROR_INVALID_SECURITY_DESCR);
}

DWORD WINAPI GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR securityDescriptor) {
    DescriptorParts parts;
    if (!ReadDescriptor(securityDescriptor, parts)) return 0;
    DWORD length = static_cast<DWORD>(SelfRelativeBytes(parts).size());
    if (!IsSelfRelative(securityDescriptor))
        length += sizeof(SECURITY_DESCRIPTOR) - sizeof(SECURITY_DESCRIPTOR_RELATIVE);
    return length;
}

BOOL WINAPI GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR securityDescriptor, LPBOOL daclPresent, PACL* dacl,
                                      LPBOOL daclDefaulted) {
    if (!Readable(securityDescriptor)) return FALSE;
    if (!daclPresent || !dacl || !daclDefaulted) return Fail(ERROR_INVALID_PARAMETER);
    SECURITY_DESCRIPTOR_CONTROL control = Header(securityDescriptor)->Control;
    *daclPresent = (control & SE_DACL_PRESENT) != 0;
    // As on Windows, the DACL and its defaulted flag are left alone when absent.
    if (!*daclPresent) return TRUE;
    *dacl = static_cast<PACL>(PartAddress(securityDescriptor, kDacl));
    *daclDefaulted = (control & SE_DACL_DEFAULTED) != 0;
    return TRUE;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR securityDescriptor, BOOL daclPresent, PACL dacl,
                                      BOOL daclDefaulted) {
    SECURITY_DESCRIPTOR* absolute = Changeable(securityDescriptor);
    if (!absolute) return FALSE;
    absolute->Control &= ~(SE_DACL_PRESENT | SE_DACL_DEFAULTED);
    absolute->Dacl = nullptr;
    if (!daclPresent) return TRUE;
    absolute->Dacl = dacl;
    absolute->Control |= SE_DACL_PRESENT | (daclDefaulted ? SE_DACL_DEFAULTED : 0);
    return TRUE;
}

BOOL WINAPI GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR securityDescriptor, PSID* owner,
                                       LPBOOL ownerDefaulted) {
    return GetSid(securityDescriptor, kOwner, SE_OWNER_DEFAULTED, owner, ownerDefaulted);
}

BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR securityDescriptor, PSID owner,
                                       BOOL ownerDefaulted) {
    return SetSid(securityDescriptor, &SECURITY_DESCRIPTOR::Owner, SE_OWNER_DEFAULTED, owner, ownerDefaulted);
}

BOOL WINAPI GetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR securityDescriptor, PSID* group,
                                       LPBOOL groupDefaulted) {
    return GetSid(securityDescriptor, kGroup, SE_GROUP_DEFAULTED, group, groupDefaulted);
}

BOOL WINAPI SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR securityDescriptor, PSID group,
                                       BOOL groupDefaulted) {
    return SetSid(securityDescriptor, &SECURITY_DESCRIPTOR::Group, SE_GROUP_DEFAULTED, group, groupDefaulted);
}

BOOL WINAPI GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR securityDescriptor,
                                         PSECURITY_DESCRIPTOR_CONTROL control, LPDWORD revision) {
    if (!securityDescriptor || !control || !revision) return Fail(ERROR_INVALID_PARAMETER);
    *revision = Header(securityDescriptor)->Revision;
    if (*revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
    *control = Header(securityDescriptor)->Control;
    return TRUE;
}

BOOL WINAPI SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR securityDescriptor,
                                         SECURITY_DESCRIPTOR_CONTROL controlBitsOfInterest,
                                         SECURITY_DESCRIPTOR_CONTROL controlBitsToSet) {
    if (!Readable(securityDescriptor)) return FALSE;
    if ((controlBitsOfInterest | controlBitsToSet) & ~kSettableControl) return Fail(ERROR_INVALID_PARAMETER);
    SECURITY_DESCRIPTOR* header = Header(securityDescriptor);
    header->Control = (header->Control & ~controlBitsOfInterest) | (controlBitsToSet & controlBitsOfInterest);
    return TRUE;
}

BOOL WINAPI MakeSelfRelativeSD(PSECURITY_DESCRIPTOR absoluteSecurityDescriptor,
                               PSECURITY_DESCRIPTOR selfRelativeSecurityDescriptor, LPDWORD bufferLength) {
    if (!bufferLength) return Fail(ERROR_INVALID_PARAMETER);
    DescriptorParts parts;
    if (!ReadDescriptor(absoluteSecurityDescriptor, parts)) return Fail(ERROR_INVALID_SECURITY_DESCR);
    if (IsSelfRelative(absoluteSecurityDescriptor)) return Fail(ERROR_BAD_DESCRIPTOR_FORMAT);
    // The caller's length is rewritten only when it is too small.
    DWORD needed = 0;
    BOOL copied = CopyToCallerBuffer(SelfRelativeBytes(parts), selfRelativeSecurityDescriptor, *bufferLength, &needed);
    if (!copied) *bufferLength = needed;
    return copied;
}
