// advapi32: GetKernelObjectSecurity and SetKernelObjectSecurity for file
// handles: the descriptor of exactly the object the handle holds, with the
// semantics of GetFileSecurityW and SetFileSecurityW (no inheritance is
// recomputed and nothing below a folder changes).
#include "advapi32/FileSecurityStore.h"
#include "advapi32/SecurityAccessCheck.h"
#include "kernel32/FileObject.h"
#include "prefix/Prefix.h"

using namespace wincompat;

namespace {

constexpr SECURITY_INFORMATION kOwnerGroup = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The access the handle must have been opened with for the parts asked.
DWORD NeededAccess(SECURITY_INFORMATION information, bool reading) {
    if (reading) return (information & (kOwnerGroup | DACL_SECURITY_INFORMATION)) ? READ_CONTROL : 0;
    return ((information & DACL_SECURITY_INFORMATION) ? WRITE_DAC : 0) |
           ((information & kOwnerGroup) ? WRITE_OWNER : 0);
}

}  // namespace

BOOL WINAPI GetKernelObjectSecurity(HANDLE handle, SECURITY_INFORMATION requestedInformation,
                                    PSECURITY_DESCRIPTOR securityDescriptor, DWORD length, LPDWORD lengthNeeded) {
    std::shared_ptr<FileObject> file = FindFile(handle);
    if (!file) return FALSE;
    if (!lengthNeeded) return Fail(ERROR_NOACCESS);
    if (requestedInformation & SACL_SECURITY_INFORMATION) return Fail(ERROR_PRIVILEGE_NOT_HELD);
    DWORD needed = NeededAccess(requestedInformation, true);
    if ((file->Access() & needed) != needed) return Fail(ERROR_ACCESS_DENIED);
    DescriptorParts parts;
    DWORD error = ERROR_SUCCESS;
    if (!ReadHandleDescriptor(file->Descriptor(), file->PinnedPath(), parts, &error)) return Fail(error);
    return CopyToCallerBuffer(SelfRelativeBytes(SelectParts(parts, requestedInformation)), securityDescriptor,
                              length, lengthNeeded);
}

BOOL WINAPI SetKernelObjectSecurity(HANDLE handle, SECURITY_INFORMATION securityInformation,
                                    PSECURITY_DESCRIPTOR securityDescriptor) {
    std::shared_ptr<FileObject> file = FindFile(handle);
    if (!file) return FALSE;
    if (securityInformation & SACL_SECURITY_INFORMATION) return Fail(ERROR_PRIVILEGE_NOT_HELD);
    DWORD needed = NeededAccess(securityInformation, false);
    if ((file->Access() & needed) != needed) return Fail(ERROR_ACCESS_DENIED);
    DescriptorParts given;
    if (!ReadDescriptor(securityDescriptor, given)) return Fail(ERROR_INVALID_SECURITY_DESCR);
    if ((securityInformation & OWNER_SECURITY_INFORMATION) &&
        (given.owner.empty() || !TokenHoldsSid(given.owner.data())))
        return Fail(ERROR_INVALID_OWNER);
    if (!(securityInformation & (kOwnerGroup | DACL_SECURITY_INFORMATION))) return TRUE;
    const std::string pinned = file->PinnedPath();
    DescriptorParts parts;
    DWORD error = ERROR_SUCCESS;
    if (!ReadHandleDescriptor(file->Descriptor(), pinned, parts, &error)) return Fail(error);
    MergeParts(parts, given, securityInformation);
    if (!WriteHandleDescriptor(file->Descriptor(), pinned, parts, &error)) return Fail(error);
    return TRUE;
}
