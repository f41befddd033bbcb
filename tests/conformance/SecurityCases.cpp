// Security: SIDs, account names, ACLs, security descriptors and the
// descriptors of files.
#include "Harness.h"
#include "Scratch.h"

#include <string.h>

#include <string>
#include <vector>

using namespace conformance;

namespace {

// Everyone (S-1-1-0), freed with FreeSid when it goes out of scope.
class Everyone {
public:
    Everyone() {
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sid_);
    }
    ~Everyone() {
        if (sid_) FreeSid(sid_);
    }
    Everyone(const Everyone&) = delete;
    Everyone& operator=(const Everyone&) = delete;
    PSID get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

const char kWineAppends[] = "Wine's AddAce appends, whatever index it is given";

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

}  // namespace

CONFORMANCE_CASE(Security, SidLayout) {
    Everyone everyone;
    REQUIRE(everyone.get() != nullptr);
    CHECK(IsValidSid(everyone.get()));
    CHECK_EQ(GetLengthSid(everyone.get()), 12u);
    CHECK_EQ(GetSidLengthRequired(1), 12u);
    CHECK_EQ(GetSidLengthRequired(2), 16u);
    CHECK_EQ(Bytes(everyone.get(), 12), std::string("\x01\x01\0\0\0\0\0\x01\0\0\0\0", 12));
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID interactive = nullptr;
    REQUIRE(AllocateAndInitializeSid(&nt, 1, SECURITY_INTERACTIVE_RID, 0, 0, 0, 0, 0, 0, 0, &interactive));
    CHECK(!EqualSid(interactive, everyone.get()));
    CHECK_EQ(Bytes(interactive, 12), std::string("\x01\x01\0\0\0\0\0\x05\x04\0\0\0", 12));
    CHECK_EQ(FreeSid(interactive), static_cast<PVOID>(nullptr));
}

// A size query first (ERROR_INSUFFICIENT_BUFFER with both sizes), then the lookup.
CONFORMANCE_CASE(Security, LookUpEveryone) {
    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use = SidTypeUnknown;
    CHECK(!LookupAccountNameW(nullptr, L"Everyone", nullptr, &sidSize, nullptr, &domainSize, &use));
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    CHECK_EQ(sidSize, 12u);
    CHECK_EQ(domainSize, 1u);
    BYTE sid[SECURITY_MAX_SID_SIZE];
    WCHAR domain[32] = L"unchanged";
    sidSize = sizeof(sid);
    domainSize = 32;
    CHECK(LookupAccountNameW(nullptr, L"everyone", sid, &sidSize, domain, &domainSize, &use));
    CHECK_EQ(sidSize, 12u);
    CHECK_EQ(std::wstring(domain), std::wstring());
    CHECK_EQ(domainSize, 0u);
    CHECK_EQ(use, SidTypeWellKnownGroup);
    Everyone everyone;
    CHECK(EqualSid(sid, everyone.get()));
    sidSize = sizeof(sid);
    domainSize = 32;
    CHECK(!LookupAccountNameW(nullptr, L"no such account here", sid, &sidSize, domain, &domainSize, &use));
    CHECK_EQ(GetLastError(), ERROR_NONE_MAPPED);
}

CONFORMANCE_CASE(Security, AclBuilding) {
    Everyone everyone;
    BYTE buffer[64];
    PACL acl = reinterpret_cast<PACL>(buffer);
    CHECK(!InitializeAcl(acl, 4, ACL_REVISION));
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    DWORD entrySize = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(everyone.get());
    CHECK_EQ(entrySize, 20u);
    REQUIRE(InitializeAcl(acl, sizeof(ACL) + entrySize, ACL_REVISION));
    CHECK(IsValidAcl(acl));
    CHECK(AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, everyone.get()));
    CHECK(!AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_READ, everyone.get()));
    CHECK_EQ(GetLastError(), ERROR_ALLOTTED_SPACE_EXCEEDED);
    ACL_SIZE_INFORMATION size = {};
    CHECK(GetAclInformation(acl, &size, sizeof(size), AclSizeInformation));
    CHECK_EQ(size.AceCount, 1u);
    CHECK_EQ(size.AclBytesInUse, 28u);
    CHECK_EQ(size.AclBytesFree, 0u);
    ACCESS_ALLOWED_ACE* ace = nullptr;
    REQUIRE(GetAce(acl, 0, reinterpret_cast<void**>(&ace)));
    CHECK_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    CHECK_EQ(ace->Header.AceFlags, 0);
    CHECK_EQ(ace->Header.AceSize, 20);
    CHECK_EQ(ace->Mask, static_cast<DWORD>(GENERIC_ALL));
    CHECK(EqualSid(&ace->SidStart, everyone.get()));
    CHECK(!GetAce(acl, 1, reinterpret_cast<void**>(&ace)));
    CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Entries go where they are put; the flags of AddAccessAllowedAceEx are kept.
CONFORMANCE_CASE(Security, AclEntryOrder) {
    Everyone everyone;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID system = nullptr;
    REQUIRE(AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system));
    BYTE buffer[128];
    PACL acl = reinterpret_cast<PACL>(buffer);
    REQUIRE(InitializeAcl(acl, sizeof(buffer), ACL_REVISION));
    CHECK(AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                                everyone.get()));
    ACE_HEADER* first = nullptr;
    REQUIRE(GetAce(acl, 0, reinterpret_cast<void**>(&first)));
    CHECK_EQ(first->AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    // A copy of the first entry, then one for SYSTEM placed in front of both.
    BYTE copy[20];
    memcpy(copy, first, sizeof(copy));
    CHECK(AddAce(acl, ACL_REVISION, MAXDWORD, copy, sizeof(copy)));
    BYTE systemEntry[20];
    ACCESS_ALLOWED_ACE* entry = reinterpret_cast<ACCESS_ALLOWED_ACE*>(systemEntry);
    entry->Header = {ACCESS_ALLOWED_ACE_TYPE, 0, sizeof(systemEntry)};
    entry->Mask = FILE_GENERIC_READ;
    memcpy(&entry->SidStart, system, 12);
    CHECK(AddAce(acl, ACL_REVISION, 0, systemEntry, sizeof(systemEntry)));
    ACL_SIZE_INFORMATION size = {};
    CHECK(GetAclInformation(acl, &size, sizeof(size), AclSizeInformation));
    CHECK_EQ(size.AceCount, 3u);
    CHECK_EQ(size.AclBytesInUse, 8u + 3 * 20);
    CHECK_EQ(size.AclBytesFree, sizeof(buffer) - 68u);
    ACCESS_ALLOWED_ACE* ace = nullptr;
    REQUIRE(GetAce(acl, 0, reinterpret_cast<void**>(&ace)));
    WINE_DIVERGES(kWineAppends, CHECK(EqualSid(&ace->SidStart, system)));
    REQUIRE(GetAce(acl, 2, reinterpret_cast<void**>(&ace)));
    WINE_DIVERGES(kWineAppends, CHECK(EqualSid(&ace->SidStart, everyone.get())));
    FreeSid(system);
}

// An absolute descriptor made self-relative: the layout Windows uses.
CONFORMANCE_CASE(Security, SelfRelativeDescriptor) {
    Everyone everyone;
    BYTE aclBuffer[28];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    REQUIRE(InitializeAcl(acl, sizeof(aclBuffer), ACL_REVISION));
    REQUIRE(AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, everyone.get()));
    SECURITY_DESCRIPTOR absolute;
    REQUIRE(InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION));
    CHECK(!InitializeSecurityDescriptor(&absolute, 2));
    CHECK_EQ(GetLastError(), ERROR_UNKNOWN_REVISION);
    CHECK(IsValidSecurityDescriptor(&absolute));
    CHECK(SetSecurityDescriptorDacl(&absolute, TRUE, acl, FALSE));
    CHECK(SetSecurityDescriptorControl(&absolute, SE_DACL_PROTECTED, SE_DACL_PROTECTED));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    CHECK(GetSecurityDescriptorControl(&absolute, &control, &revision));
    CHECK_EQ(control, SE_DACL_PRESENT | SE_DACL_PROTECTED);
    CHECK_EQ(revision, 1u);

    BYTE relative[64];
    DWORD length = 8;
    CHECK(!MakeSelfRelativeSD(&absolute, relative, &length));
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    CHECK_EQ(length, 48u);
    length = sizeof(relative);
    REQUIRE(MakeSelfRelativeSD(&absolute, relative, &length));
    CHECK_EQ(length, sizeof(relative));
    auto* header = reinterpret_cast<SECURITY_DESCRIPTOR_RELATIVE*>(relative);
    CHECK_EQ(header->Revision, 1);
    CHECK_EQ(header->Control, SE_SELF_RELATIVE | SE_DACL_PRESENT | SE_DACL_PROTECTED);
    CHECK_EQ(header->Owner, 0u);
    CHECK_EQ(header->Group, 0u);
    CHECK_EQ(header->Sacl, 0u);
    CHECK_EQ(header->Dacl, 20u);
    CHECK_EQ(Bytes(relative + 20, 28), Bytes(aclBuffer, 28));
    CHECK_EQ(GetSecurityDescriptorLength(relative), 48u);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = nullptr;
    CHECK(GetSecurityDescriptorDacl(relative, &present, &dacl, &defaulted));
    CHECK(present && !defaulted);
    CHECK_EQ(reinterpret_cast<BYTE*>(dacl), relative + 20);
    PSID owner = everyone.get();
    BOOL ownerDefaulted = TRUE;
    CHECK(GetSecurityDescriptorOwner(relative, &owner, &ownerDefaulted));
    CHECK_EQ(owner, static_cast<PSID>(nullptr));
    CHECK(!SetSecurityDescriptorDacl(relative, TRUE, acl, FALSE));
    CHECK_EQ(GetLastError(), ERROR_INVALID_SECURITY_DESCR);
}

// A descriptor set on a folder reads back with its entry for Everyone; a
// size query comes first.
CONFORMANCE_CASE(Security, FileDescriptorsRoundTrip) {
    std::wstring folder = CaseFolder(L"Security.FileDescriptorsRoundTrip");
    REQUIRE(WriteBytes(folder + L"\\file.txt", "x"));
    Everyone everyone;
    BYTE aclBuffer[28];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    REQUIRE(InitializeAcl(acl, sizeof(aclBuffer), ACL_REVISION));
    REQUIRE(AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                                  everyone.get()));
    SECURITY_DESCRIPTOR descriptor;
    REQUIRE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    REQUIRE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    for (const std::wstring& path : {folder, folder + L"\\file.txt"}) {
        CHECK(SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, &descriptor));
        DWORD needed = 0;
        CHECK(!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed));
        CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        std::vector<BYTE> stored(needed);
        REQUIRE(GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, stored.data(), needed, &needed));
        BOOL present = FALSE, defaulted = TRUE;
        PACL dacl = nullptr;
        REQUIRE(GetSecurityDescriptorDacl(stored.data(), &present, &dacl, &defaulted));
        REQUIRE(present && dacl);
        ACCESS_ALLOWED_ACE* ace = nullptr;
        DWORD everyoneAccess = 0;
        for (DWORD i = 0; GetAce(dacl, i, reinterpret_cast<void**>(&ace)); ++i)
            if (EqualSid(&ace->SidStart, everyone.get())) everyoneAccess |= ace->Mask;
        WINE_DIVERGES("stable Wine stores no descriptor; it derives one from the unix mode, with entries of its own",
                      CHECK_EQ(dacl->AceCount, 1);
                      CHECK_EQ(everyoneAccess, static_cast<DWORD>(FILE_ALL_ACCESS)));
    }
    DWORD needed = 0;
    CHECK(!GetFileSecurityW((folder + L"\\missing.txt").c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
