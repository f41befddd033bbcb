#include "advapi32/SecurityDescriptorParts.h"

#include "advapi32/AclEntries.h"

#include <string.h>

namespace wincompat {

namespace {

constexpr SECURITY_DESCRIPTOR_CONTROL kDaclFlags =
    SE_DACL_PRESENT | SE_DACL_DEFAULTED | SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED;
constexpr SECURITY_DESCRIPTOR_CONTROL kSaclFlags =
    SE_SACL_PRESENT | SE_SACL_DEFAULTED | SE_SACL_AUTO_INHERIT_REQ | SE_SACL_AUTO_INHERITED | SE_SACL_PROTECTED;

bool TakeSid(const void* sid, size_t available, SidBytes& into) {
    if (!sid) return true;
    DWORD length = SidLengthWithin(sid, available);
    if (!length) return false;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    into.assign(bytes, bytes + length);
    return true;
}

bool TakeAcl(const void* acl, size_t available, std::vector<BYTE>& into) {
    if (!acl) return true;
    const ACL* header = static_cast<const ACL*>(acl);
    if (available < sizeof(ACL) || !AclWellFormed(header, available)) return false;
    const BYTE* bytes = static_cast<const BYTE*>(acl);
    into.assign(bytes, bytes + header->AclSize);
    return true;
}

// A part of a self-relative descriptor: null for offset 0, else its address
// when it starts inside the descriptor.
const BYTE* PartAt(const BYTE* base, size_t length, DWORD offset, size_t& available) {
    if (offset == 0 || offset >= length) return nullptr;
    available = length - offset;
    return base + offset;
}

bool ReadRelative(const BYTE* base, size_t length, DescriptorParts& parts) {
    SECURITY_DESCRIPTOR_RELATIVE header;
    memcpy(&header, base, sizeof(header));
    auto take = [&](DWORD offset, auto& into, bool isAcl) {
        if (offset == 0) return true;
        size_t available = 0;
        const BYTE* part = PartAt(base, length, offset, available);
        if (!part) return false;
        return isAcl ? TakeAcl(part, available, into) : TakeSid(part, available, into);
    };
    return take(header.Owner, parts.owner, false) && take(header.Group, parts.group, false) &&
           ((header.Control & SE_SACL_PRESENT) == 0 || take(header.Sacl, parts.sacl, true)) &&
           ((header.Control & SE_DACL_PRESENT) == 0 || take(header.Dacl, parts.dacl, true));
}

bool ReadAbsolute(const SECURITY_DESCRIPTOR* descriptor, DescriptorParts& parts) {
    bool sacl = descriptor->Control & SE_SACL_PRESENT, dacl = descriptor->Control & SE_DACL_PRESENT;
    auto aclLength = [](const ACL* acl) -> size_t { return acl ? acl->AclSize : 0; };
    return TakeSid(descriptor->Owner, SECURITY_MAX_SID_SIZE, parts.owner) &&
           TakeSid(descriptor->Group, SECURITY_MAX_SID_SIZE, parts.group) &&
           (!sacl || TakeAcl(descriptor->Sacl, aclLength(descriptor->Sacl), parts.sacl)) &&
           (!dacl || TakeAcl(descriptor->Dacl, aclLength(descriptor->Dacl), parts.dacl));
}

DWORD Append(std::vector<BYTE>& out, const std::vector<BYTE>& part) {
    if (part.empty()) return 0;
    while (out.size() % 4) out.push_back(0);
    DWORD offset = static_cast<DWORD>(out.size());
    out.insert(out.end(), part.begin(), part.end());
    return offset;
}

}  // namespace

bool ReadDescriptor(const void* descriptor, DescriptorParts& parts) {
    if (!descriptor) return false;
    const SECURITY_DESCRIPTOR_RELATIVE* header = static_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(descriptor);
    if (header->Revision != SECURITY_DESCRIPTOR_REVISION) return false;
    parts = DescriptorParts{};
    parts.control = header->Control & ~SE_SELF_RELATIVE;
    if (!(header->Control & SE_SELF_RELATIVE))
        return ReadAbsolute(static_cast<const SECURITY_DESCRIPTOR*>(descriptor), parts);
    // A caller's self-relative descriptor carries no length; each part is
    // bounded by its own header.
    return ReadRelative(static_cast<const BYTE*>(descriptor), 0x10000 + sizeof(*header), parts);
}

bool ParseSelfRelative(const BYTE* bytes, size_t length, DescriptorParts& parts) {
    if (!bytes || length < sizeof(SECURITY_DESCRIPTOR_RELATIVE)) return false;
    if (bytes[0] != SECURITY_DESCRIPTOR_REVISION) return false;
    SECURITY_DESCRIPTOR_CONTROL control;
    memcpy(&control, bytes + 2, sizeof(control));
    if (!(control & SE_SELF_RELATIVE)) return false;
    parts = DescriptorParts{};
    parts.control = control & ~SE_SELF_RELATIVE;
    return ReadRelative(bytes, length, parts);
}

std::vector<BYTE> SelfRelativeBytes(const DescriptorParts& parts) {
    std::vector<BYTE> out(sizeof(SECURITY_DESCRIPTOR_RELATIVE), 0);
    SECURITY_DESCRIPTOR_RELATIVE header{SECURITY_DESCRIPTOR_REVISION, 0,
                                        static_cast<SECURITY_DESCRIPTOR_CONTROL>(parts.control | SE_SELF_RELATIVE),
                                        0, 0, 0, 0};
    header.Sacl = (parts.control & SE_SACL_PRESENT) ? Append(out, parts.sacl) : 0;
    header.Dacl = parts.HasDacl() ? Append(out, parts.dacl) : 0;
    header.Owner = Append(out, parts.owner);
    header.Group = Append(out, parts.group);
    memcpy(out.data(), &header, sizeof(header));
    return out;
}

DescriptorParts SelectParts(const DescriptorParts& parts, SECURITY_INFORMATION information) {
    DescriptorParts selected;
    MergeParts(selected, parts, information & (OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                               DACL_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION));
    if (!(information & OWNER_SECURITY_INFORMATION)) selected.control &= ~SE_OWNER_DEFAULTED;
    return selected;
}

void MergeParts(DescriptorParts& into, const DescriptorParts& from, SECURITY_INFORMATION information) {
    if (information & OWNER_SECURITY_INFORMATION) {
        into.owner = from.owner;
        into.control = (into.control & ~SE_OWNER_DEFAULTED) | (from.control & SE_OWNER_DEFAULTED);
    }
    if (information & GROUP_SECURITY_INFORMATION) {
        into.group = from.group;
        into.control = (into.control & ~SE_GROUP_DEFAULTED) | (from.control & SE_GROUP_DEFAULTED);
    }
    if (information & SACL_SECURITY_INFORMATION) {
        into.sacl = from.sacl;
        into.control = (into.control & ~kSaclFlags) | (from.control & kSaclFlags);
    }
    if (information & DACL_SECURITY_INFORMATION) {
        into.dacl = from.dacl;
        into.control = (into.control & ~kDaclFlags) | (from.control & kDaclFlags);
        if (information & PROTECTED_DACL_SECURITY_INFORMATION) into.control |= SE_DACL_PROTECTED;
        else if (information & UNPROTECTED_DACL_SECURITY_INFORMATION) into.control &= ~SE_DACL_PROTECTED;
    }
}

BOOL CopyToCallerBuffer(const std::vector<BYTE>& bytes, void* buffer, DWORD length, LPDWORD needed) {
    *needed = static_cast<DWORD>(bytes.size());
    if (!buffer || length < bytes.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(buffer, bytes.data(), bytes.size());
    return TRUE;
}

}  // namespace wincompat
