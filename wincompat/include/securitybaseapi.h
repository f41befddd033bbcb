// advapi32: security identifiers, access-control lists and security descriptors.
#pragma once

#include <windef.h>
#include <winnt.h>

WINCOMPAT_BEGIN_DECLS

// SIDs
BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY identifierAuthority, BYTE subAuthorityCount,
                                     DWORD subAuthority0, DWORD subAuthority1, DWORD subAuthority2,
                                     DWORD subAuthority3, DWORD subAuthority4, DWORD subAuthority5,
                                     DWORD subAuthority6, DWORD subAuthority7, PSID* sid);
PVOID WINAPI FreeSid(PSID sid);
BOOL WINAPI IsValidSid(PSID sid);
DWORD WINAPI GetLengthSid(PSID sid);
DWORD WINAPI GetSidLengthRequired(UCHAR subAuthorityCount);
BOOL WINAPI EqualSid(PSID sid1, PSID sid2);
BOOL WINAPI CopySid(DWORD destinationLength, PSID destination, PSID source);

// ACLs
BOOL WINAPI InitializeAcl(PACL acl, DWORD aclLength, DWORD aclRevision);
BOOL WINAPI IsValidAcl(PACL acl);
BOOL WINAPI GetAclInformation(PACL acl, LPVOID information, DWORD informationLength,
                              ACL_INFORMATION_CLASS informationClass);
BOOL WINAPI GetAce(PACL acl, DWORD aceIndex, LPVOID* ace);
// startingAceIndex MAXDWORD appends; aceListLength is the byte length of the entries.
BOOL WINAPI AddAce(PACL acl, DWORD aceRevision, DWORD startingAceIndex, LPVOID aceList,
                   DWORD aceListLength);
BOOL WINAPI AddAccessAllowedAce(PACL acl, DWORD aceRevision, DWORD accessMask, PSID sid);
BOOL WINAPI AddAccessAllowedAceEx(PACL acl, DWORD aceRevision, DWORD aceFlags, DWORD accessMask, PSID sid);

// Security descriptors
BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR securityDescriptor, DWORD revision);
BOOL WINAPI IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR securityDescriptor);
DWORD WINAPI GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR securityDescriptor);
BOOL WINAPI GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR securityDescriptor, LPBOOL daclPresent, PACL* dacl,
                                      LPBOOL daclDefaulted);
BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR securityDescriptor, BOOL daclPresent, PACL dacl,
                                      BOOL daclDefaulted);
BOOL WINAPI GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR securityDescriptor, PSID* owner,
                                       LPBOOL ownerDefaulted);
BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR securityDescriptor, PSID owner,
                                       BOOL ownerDefaulted);
BOOL WINAPI GetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR securityDescriptor, PSID* group,
                                       LPBOOL groupDefaulted);
BOOL WINAPI SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR securityDescriptor, PSID group,
                                       BOOL groupDefaulted);
BOOL WINAPI GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR securityDescriptor,
                                         PSECURITY_DESCRIPTOR_CONTROL control, LPDWORD revision);
BOOL WINAPI SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR securityDescriptor,
                                         SECURITY_DESCRIPTOR_CONTROL controlBitsOfInterest,
                                         SECURITY_DESCRIPTOR_CONTROL controlBitsToSet);
BOOL WINAPI MakeSelfRelativeSD(PSECURITY_DESCRIPTOR absoluteSecurityDescriptor,
                               PSECURITY_DESCRIPTOR selfRelativeSecurityDescriptor, LPDWORD bufferLength);

// Kernel objects by handle: for a file handle these are GetFileSecurityW and
// SetFileSecurityW on exactly the object the handle holds. Reading needs
// READ_CONTROL, setting the DACL WRITE_DAC, the owner or group WRITE_OWNER.
BOOL WINAPI GetKernelObjectSecurity(HANDLE handle, SECURITY_INFORMATION requestedInformation,
                                    PSECURITY_DESCRIPTOR securityDescriptor, DWORD length, LPDWORD lengthNeeded);
BOOL WINAPI SetKernelObjectSecurity(HANDLE handle, SECURITY_INFORMATION securityInformation,
                                    PSECURITY_DESCRIPTOR securityDescriptor);

// Files: the descriptor is returned self-relative; lengthNeeded is set on ERROR_INSUFFICIENT_BUFFER.
BOOL WINAPI GetFileSecurityW(LPCWSTR fileName, SECURITY_INFORMATION requestedInformation,
                             PSECURITY_DESCRIPTOR securityDescriptor, DWORD length, LPDWORD lengthNeeded);
BOOL WINAPI SetFileSecurityW(LPCWSTR fileName, SECURITY_INFORMATION securityInformation,
                             PSECURITY_DESCRIPTOR securityDescriptor);

WINCOMPAT_END_DECLS
