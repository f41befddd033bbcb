// advapi32: GetFileSecurityW and SetFileSecurityW over the prefix's files.
#include "advapi32/FileSecurityStore.h"
#include "advapi32/SecurityAccessCheck.h"
#include "prefix/Prefix.h"

using namespace wincompat;

namespace {

constexpr SECURITY_INFORMATION kOwnerGroupDacl =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The unix path of a file that exists, or FALSE with the error set.
bool ExistingFile(LPCWSTR fileName, std::string& unixPath) {
    DWORD error = ERROR_SUCCESS;
    if (!fileName || !*fileName) return Fail(ERROR_INVALID_PARAMETER);
    if (!DosToUnix(fileName, unixPath, &error)) return Fail(error);
    return true;
}

}  // namespace

BOOL WINAPI GetFileSecurityW(LPCWSTR fileName, SECURITY_INFORMATION requestedInformation,
                             PSECURITY_DESCRIPTOR securityDescriptor, DWORD length, LPDWORD lengthNeeded) {
    if (!lengthNeeded) return Fail(ERROR_INVALID_PARAMETER);
    // Reading the SACL takes a privilege the process does not hold.
    if (requestedInformation & SACL_SECURITY_INFORMATION) return Fail(ERROR_PRIVILEGE_NOT_HELD);
    std::string unixPath;
    if (!ExistingFile(fileName, unixPath)) return FALSE;
    DescriptorParts parts;
    DWORD error = ERROR_SUCCESS;
    if (!ReadFileDescriptor(unixPath, parts, &error)) return Fail(error);
    return CopyToCallerBuffer(SelfRelativeBytes(SelectParts(parts, requestedInformation)), securityDescriptor,
                              length, lengthNeeded);
}

BOOL WINAPI SetFileSecurityW(LPCWSTR fileName, SECURITY_INFORMATION securityInformation,
                             PSECURITY_DESCRIPTOR securityDescriptor) {
    if (securityInformation & SACL_SECURITY_INFORMATION) return Fail(ERROR_PRIVILEGE_NOT_HELD);
    DescriptorParts given;
    if (!ReadDescriptor(securityDescriptor, given)) return Fail(ERROR_INVALID_SECURITY_DESCR);
    if ((securityInformation & OWNER_SECURITY_INFORMATION) &&
        (given.owner.empty() || !TokenHoldsSid(given.owner.data())))
        return Fail(ERROR_INVALID_OWNER);
    std::string unixPath;
    if (!ExistingFile(fileName, unixPath)) return FALSE;
    DescriptorParts parts;
    DWORD error = ERROR_SUCCESS;
    if (!ReadFileDescriptor(unixPath, parts, &error)) return Fail(error);
    if (!(securityInformation & kOwnerGroupDacl)) return TRUE;
    MergeParts(parts, given, securityInformation);
    if (!WriteFileDescriptor(unixPath, parts, &error)) return Fail(error);
    return TRUE;
}
