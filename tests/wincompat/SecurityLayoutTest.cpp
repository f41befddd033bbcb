// advapi32's SIDs, ACLs and security descriptors in their Windows byte layouts,
// and the account names LookupAccountNameW knows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes BytesAt(const void* data, size_t length) {
    const BYTE* begin = static_cast<const BYTE*>(data);
    return Bytes(begin, begin + length);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const Bytes kInteractive = {1, 1, 0, 0, 0, 0, 0, 5, 4, 0, 0, 0};
const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const Bytes kAdministrators = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};
const Bytes kUsers = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};

struct SidCase {
    BYTE authority;
    std::vector<DWORD> subAuthorities;
    Bytes expected;
};

TEST(SecurityLayout, SidsAreWindowsBytes) {
    const SidCase cases[] = {
        {1, {SECURITY_WORLD_RID}, kEveryone},
        {5, {SECURITY_INTERACTIVE_RID}, kInteractive},
        {5, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}, kAdministrators},
    };
    for (const SidCase& c : cases) {
        SID_IDENTIFIER_AUTHORITY authority = {{0, 0, 0, 0, 0, c.authority}};
        DWORD s[8] = {};
        for (size_t i = 0; i < c.subAuthorities.size(); ++i) s[i] = c.subAuthorities[i];
        PSID sid = nullptr;
        ASSERT_TRUE(AllocateAndInitializeSid(&authority, static_cast<BYTE>(c.subAuthorities.size()), s[0], s[1],
                                             s[2], s[3], s[4], s[5], s[6], s[7], &sid));
        EXPECT_TRUE(IsValidSid(sid));
        ASSERT_EQ(GetLengthSid(sid), c.expected.size());
        EXPECT_EQ(BytesAt(sid, c.expected.size()), c.expected);
        EXPECT_TRUE(EqualSid(sid, const_cast<BYTE*>(c.expected.data())));
        EXPECT_FALSE(EqualSid(sid, const_cast<BYTE*>(kUsers.data())));
        FreeSid(sid);
    }
    BYTE badRevision[12] = {2, 1};
    EXPECT_FALSE(IsValidSid(badRevision));
}

struct AccountCase {
    const wchar_t* name;
    Bytes sid;
    std::wstring domain;
    SID_NAME_USE use;
};

TEST(SecurityLayout, LookupAccountNameUsesTheTwoCallProtocol) {
    const AccountCase cases[] = {
        {L"Everyone", kEveryone, L"", SidTypeWellKnownGroup},
        {L"everyone", kEveryone, L"", SidTypeWellKnownGroup},
        {L"INTERACTIVE", kInteractive, L"NT AUTHORITY", SidTypeWellKnownGroup},
        {L"NT AUTHORITY\\SYSTEM", kSystem, L"NT AUTHORITY", SidTypeWellKnownGroup},
        {L"Administrators", kAdministrators, L"BUILTIN", SidTypeAlias},
        {L"Users", kUsers, L"BUILTIN", SidTypeAlias},
    };
    for (const AccountCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "name " << std::string(c.name, c.name + wcslen(c.name)));
        DWORD sidSize = 0, domainSize = 0;
        SID_NAME_USE use = SidTypeUnknown;
        ASSERT_FALSE(LookupAccountNameW(nullptr, c.name, nullptr, &sidSize, nullptr, &domainSize, &use));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(sidSize, c.sid.size());
        EXPECT_EQ(domainSize, c.domain.size() + 1);
        Bytes sid(sidSize);
        std::wstring domain(domainSize, L'?');
        ASSERT_TRUE(LookupAccountNameW(nullptr, c.name, sid.data(), &sidSize, domain.data(), &domainSize, &use));
        EXPECT_EQ(sid, c.sid);
        EXPECT_EQ(domainSize, c.domain.size());
        EXPECT_EQ(domain.c_str(), c.domain);
        EXPECT_EQ(use, c.use);
    }
    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use;
    EXPECT_FALSE(LookupAccountNameW(nullptr, L"Nobody Here", nullptr, &sidSize, nullptr, &domainSize, &use));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NONE_MAPPED));
}

Bytes AllowedAce(BYTE flags, DWORD mask, const Bytes& sid) {
    Bytes ace(8 + sid.size(), 0);
    ace[0] = ACCESS_ALLOWED_ACE_TYPE;
    ace[1] = flags;
    ace[2] = static_cast<BYTE>(ace.size());
    memcpy(&ace[4], &mask, sizeof(mask));
    memcpy(&ace[8], sid.data(), sid.size());
    return ace;
}

TEST(SecurityLayout, AclWithOneEntryForTheInteractiveGroup) {
    // The DACL a refused registry key gets: SID length + 20 bytes.
    Bytes buffer(kInteractive.size() + 20, 0xCC);
    PACL acl = reinterpret_cast<PACL>(buffer.data());
    ASSERT_TRUE(InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION));
    EXPECT_EQ(BytesAt(acl, 8), (Bytes{2, 0, 32, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, const_cast<BYTE*>(kInteractive.data())));
    EXPECT_EQ(BytesAt(acl, 28), Concat({{2, 0, 32, 0, 1, 0, 0, 0}, AllowedAce(0, 0xF003F, kInteractive)}));
    ACL_SIZE_INFORMATION size = {};
    ASSERT_TRUE(GetAclInformation(acl, &size, sizeof(size), AclSizeInformation));
    EXPECT_EQ(size.AceCount, 1u);
    EXPECT_EQ(size.AclBytesInUse, 28u);
    EXPECT_EQ(size.AclBytesFree, 4u);
    EXPECT_TRUE(IsValidAcl(acl));
    // No room for a second entry: nothing changes.
    EXPECT_FALSE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, const_cast<BYTE*>(kEveryone.data())));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALLOTTED_SPACE_EXCEEDED));
    EXPECT_EQ(acl->AceCount, 1);
}

TEST(SecurityLayout, AddAccessAllowedAceExKeepsItsFlags) {
    const BYTE flagCases[] = {0, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, INHERITED_ACE,
                              CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE};
    for (BYTE flags : flagCases) {
        Bytes buffer(8 + 20);
        PACL acl = reinterpret_cast<PACL>(buffer.data());
        ASSERT_TRUE(InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION));
        ASSERT_TRUE(AddAccessAllowedAceEx(acl, ACL_REVISION, flags, GENERIC_ALL, const_cast<BYTE*>(kEveryone.data())));
        void* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, 0, &ace));
        EXPECT_EQ(BytesAt(ace, 20), AllowedAce(flags, GENERIC_ALL, kEveryone)) << int(flags);
        EXPECT_FALSE(GetAce(acl, 1, &ace));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

TEST(SecurityLayout, AddAceAppendsOrInsertsWholeEntries) {
    Bytes source(8 + 40), target(8 + 60);
    PACL from = reinterpret_cast<PACL>(source.data()), to = reinterpret_cast<PACL>(target.data());
    ASSERT_TRUE(InitializeAcl(from, static_cast<DWORD>(source.size()), ACL_REVISION));
    ASSERT_TRUE(InitializeAcl(to, static_cast<DWORD>(target.size()), ACL_REVISION));
    ASSERT_TRUE(AddAccessAllowedAce(from, ACL_REVISION, 1, const_cast<BYTE*>(kSystem.data())));
    ASSERT_TRUE(AddAccessAllowedAceEx(from, ACL_REVISION, INHERITED_ACE, 2, const_cast<BYTE*>(kEveryone.data())));
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_TRUE(GetAce(from, 0, &first));
    ASSERT_TRUE(GetAce(from, 1, &second));
    ASSERT_TRUE(AddAce(to, ACL_REVISION, MAXDWORD, second, static_cast<PACE_HEADER>(second)->AceSize));
    ASSERT_TRUE(AddAce(to, ACL_REVISION, 0, first, static_cast<PACE_HEADER>(first)->AceSize));
    ASSERT_TRUE(AddAccessAllowedAce(to, ACL_REVISION, 3, const_cast<BYTE*>(kInteractive.data())));
    EXPECT_EQ(BytesAt(to, 68), Concat({{2, 0, 68, 0, 3, 0, 0, 0}, AllowedAce(0, 1, kSystem),
                                       AllowedAce(INHERITED_ACE, 2, kEveryone), AllowedAce(0, 3, kInteractive)}));
    EXPECT_FALSE(AddAce(to, ACL_REVISION, MAXDWORD, first, 1));  // not a whole entry
    EXPECT_EQ(to->AceCount, 3);
}

TEST(SecurityLayout, DescriptorDaclControlAndSelfRelativeForm) {
    Bytes buffer(kEveryone.size() + 20);
    PACL acl = reinterpret_cast<PACL>(buffer.data());
    ASSERT_TRUE(InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION));
    ASSERT_TRUE(AddAccessAllowedAceEx(acl, ACL_REVISION, 3, GENERIC_ALL, const_cast<BYTE*>(kEveryone.data())));

    SECURITY_DESCRIPTOR absolute;
    memset(&absolute, 0xCC, sizeof(absolute));
    ASSERT_TRUE(InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_EQ(absolute.Revision, 1);
    EXPECT_EQ(absolute.Control, 0);
    BOOL present = TRUE, defaulted = TRUE;
    PACL got = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(&absolute, &present, &got, &defaulted));
    EXPECT_FALSE(present);
    ASSERT_TRUE(SetSecurityDescriptorDacl(&absolute, TRUE, acl, FALSE));
    ASSERT_TRUE(SetSecurityDescriptorControl(&absolute, SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED,
                                             SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED));
    EXPECT_FALSE(SetSecurityDescriptorControl(&absolute, SE_DACL_PRESENT, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(&absolute, &control, &revision));
    EXPECT_EQ(control, SE_DACL_PRESENT | SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED);
    EXPECT_EQ(revision, 1u);
    ASSERT_TRUE(GetSecurityDescriptorDacl(&absolute, &present, &got, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    EXPECT_EQ(got, acl);
    EXPECT_TRUE(IsValidSecurityDescriptor(&absolute));

    DWORD length = 0;
    ASSERT_FALSE(MakeSelfRelativeSD(&absolute, nullptr, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_EQ(length, 20u + 32u);  // the whole ACL, its free bytes too
    Bytes relative(length);
    ASSERT_TRUE(MakeSelfRelativeSD(&absolute, relative.data(), &length));
    EXPECT_EQ(relative, Concat({{1, 0, 0x04, 0x85, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0},
                                {2, 0, 32, 0, 1, 0, 0, 0}, AllowedAce(3, GENERIC_ALL, kEveryone), {0, 0, 0, 0}}));
    EXPECT_EQ(GetSecurityDescriptorLength(relative.data()), 52u);
    ASSERT_TRUE(GetSecurityDescriptorDacl(relative.data(), &present, &got, &defaulted));
    EXPECT_EQ(reinterpret_cast<BYTE*>(got), relative.data() + 20);
    EXPECT_FALSE(SetSecurityDescriptorDacl(relative.data(), FALSE, nullptr, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SECURITY_DESCR));
}

TEST(SecurityLayout, RunTimeLookupsAndTheProcessHeap) {
    HMODULE advapi = LoadLibraryW(L"advapi32.dll");
    ASSERT_NE(advapi, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(advapi, "AddAccessAllowedAceEx")),
              reinterpret_cast<void*>(&AddAccessAllowedAceEx));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(advapi, "SetSecurityDescriptorControl")),
              reinterpret_cast<void*>(&SetSecurityDescriptorControl));
    BYTE* block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 64));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Bytes(block, block + 64), Bytes(64, 0));
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, block));
}

}  // namespace
