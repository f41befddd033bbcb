#include "advapi32/FileSecurityInheritance.h"

#include "advapi32/AclEntries.h"
#include "advapi32/FileSecurityMode.h"
#include "advapi32/FileSecurityStore.h"
#include "advapi32/SecurityAccessCheck.h"

#include <string.h>
#include <sys/stat.h>

namespace wincompat {

namespace {

constexpr ACCESS_MASK kGenericRights = GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL;
const RightsMapping kFileRights = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};

bool HasMask(const ACE_HEADER* ace) {
    return ace->AceType == ACCESS_ALLOWED_ACE_TYPE || ace->AceType == ACCESS_DENIED_ACE_TYPE;
}

// Appends a copy of the entry with new flags and, for allowed and denied
// entries, a new mask.
void Append(std::vector<BYTE>& acl, const ACE_HEADER* ace, BYTE flags, ACCESS_MASK mask) {
    size_t at = acl.size();
    const BYTE* bytes = reinterpret_cast<const BYTE*>(ace);
    acl.insert(acl.end(), bytes, bytes + ace->AceSize);
    ACE_HEADER* copy = reinterpret_cast<ACE_HEADER*>(&acl[at]);
    copy->AceFlags = flags;
    if (HasMask(ace)) memcpy(&acl[at + sizeof(ACE_HEADER)], &mask, sizeof(mask));
    ACL* top = reinterpret_cast<ACL*>(acl.data());
    top->AceCount++;
    top->AclSize = static_cast<WORD>(acl.size());
}

void InheritOne(std::vector<BYTE>& acl, const ACE_HEADER* ace, bool childIsFolder) {
    const BYTE flags = ace->AceFlags;
    const ACCESS_MASK mask = HasMask(ace) ? AceMask(ace) : 0;
    const ACCESS_MASK mapped = MapGenericRights(mask, kFileRights);
    const bool toObjects = flags & OBJECT_INHERIT_ACE;
    const bool toContainers = flags & CONTAINER_INHERIT_ACE;
    const bool propagates = !(flags & NO_PROPAGATE_INHERIT_ACE);
    const BYTE passedOn = (flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) | INHERITED_ACE;
    if (!childIsFolder) {
        if (toObjects) Append(acl, ace, INHERITED_ACE, mapped);
        return;
    }
    if (toContainers && !propagates) {
        Append(acl, ace, INHERITED_ACE, mapped);
    } else if (toContainers && (mask & kGenericRights)) {
        // Windows splits such an entry: the rights that apply here, mapped,
        // and the generic ones passed on unchanged.
        Append(acl, ace, INHERITED_ACE, mapped);
        Append(acl, ace, passedOn | INHERIT_ONLY_ACE, mask);
    } else if (toContainers) {
        Append(acl, ace, passedOn, mask);
    } else if (toObjects && propagates) {
        Append(acl, ace, OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE | INHERITED_ACE, mask);
    }
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string ParentOf(const std::string& unixPath) {
    size_t slash = unixPath.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : unixPath.substr(0, slash);
}

}  // namespace

std::vector<BYTE> InheritedDacl(const ACL* folderDacl, bool childIsFolder) {
    std::vector<BYTE> acl(sizeof(ACL));
    *reinterpret_cast<ACL*>(acl.data()) = ACL{ACL_REVISION, 0, sizeof(ACL), 0, 0};
    if (!folderDacl) return {};
    for (DWORD i = 0; i < folderDacl->AceCount; ++i) {
        const ACE_HEADER* ace = AceAt(folderDacl, i);
        if (!ace) break;
        if (ace->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) InheritOne(acl, ace, childIsFolder);
    }
    if (reinterpret_cast<ACL*>(acl.data())->AceCount == 0) return {};
    return acl;
}

namespace {

// The descriptor of a new child of the given mode, from its folder's stored
// one; false when the folder has none or passes nothing on.
bool InheritedDescriptor(const std::string& folder, mode_t childMode, DescriptorParts& child) {
    DescriptorParts parent;
    if (!ReadStoredFileDescriptor(folder, parent)) return false;
    if (!parent.HasDacl() || !parent.Dacl()) return false;
    std::vector<BYTE> dacl = InheritedDacl(parent.Dacl(), S_ISDIR(childMode));
    if (dacl.empty()) return false;
    child = DerivedFileDescriptor(childMode);
    child.control = SE_DACL_PRESENT | SE_DACL_AUTO_INHERITED;
    child.dacl = std::move(dacl);
    return true;
}

}  // namespace

void InheritFolderSecurity(const std::string& createdPath, const std::string& folderUnixPath) {
    const std::string unixPath = WithoutTrailingSlashes(createdPath);
    struct stat info;
    if (lstat(unixPath.c_str(), &info) != 0 || S_ISLNK(info.st_mode)) return;
    DescriptorParts child;
    if (!InheritedDescriptor(folderUnixPath.empty() ? ParentOf(unixPath) : folderUnixPath, info.st_mode, child)) return;
    DWORD error = ERROR_SUCCESS;
    WriteFileDescriptor(unixPath, child, &error);
}

void InheritFolderSecurity(int fd, const std::string& unixPath) {
    struct stat info;
    if (fstat(fd, &info) != 0) return;
    DescriptorParts child;
    if (!InheritedDescriptor(ParentOf(WithoutTrailingSlashes(unixPath)), info.st_mode, child)) return;
    DWORD error = ERROR_SUCCESS;
    WriteOpenFileDescriptor(fd, info, child, &error);
}

}  // namespace wincompat
