// A security descriptor taken apart into owned pieces, and put together again
// in the self-relative form that files and keys store.
#pragma once

#include "advapi32/SecurityIdentifiers.h"

#include <windows.h>

#include <vector>

namespace wincompat {

struct DescriptorParts {
    // SE_* flags other than SE_SELF_RELATIVE. A DACL or SACL flagged present
    // with no bytes is a null ACL.
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    SidBytes owner;             // empty: none
    SidBytes group;
    std::vector<BYTE> sacl;
    std::vector<BYTE> dacl;

    bool HasDacl() const { return (control & SE_DACL_PRESENT) != 0; }
    const ACL* Dacl() const { return dacl.empty() ? nullptr : reinterpret_cast<const ACL*>(dacl.data()); }
};

// A descriptor a caller hands over, absolute or self-relative. False when it
// is not a valid revision-1 descriptor with valid parts.
bool ReadDescriptor(const void* descriptor, DescriptorParts& parts);

// Stored self-relative bytes, every part checked to lie within them.
bool ParseSelfRelative(const BYTE* bytes, size_t length, DescriptorParts& parts);

// The self-relative form: header, then SACL, DACL, owner and group.
std::vector<BYTE> SelfRelativeBytes(const DescriptorParts& parts);

// The parts `information` names (OWNER_, GROUP_, DACL_, SACL_SECURITY_INFORMATION).
DescriptorParts SelectParts(const DescriptorParts& parts, SECURITY_INFORMATION information);

// Replaces in `into` the parts `information` names with those of `from`; the
// PROTECTED_/UNPROTECTED_DACL flags set or clear SE_DACL_PROTECTED.
void MergeParts(DescriptorParts& into, const DescriptorParts& from, SECURITY_INFORMATION information);

// Copies `bytes` to a caller's buffer of `length` bytes by the two-call
// protocol: *needed is always set; FALSE with ERROR_INSUFFICIENT_BUFFER when it
// does not fit.
BOOL CopyToCallerBuffer(const std::vector<BYTE>& bytes, void* buffer, DWORD length, LPDWORD needed);

}  // namespace wincompat
