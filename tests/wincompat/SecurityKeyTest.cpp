// RegGetKeySecurity and RegSetKeySecurity: descriptors kept in the hive and
// checked whenever a key is opened, in this process and in others.
#include <windows.h>

#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

const Bytes kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const Bytes kInteractive = {1, 1, 0, 0, 0, 0, 0, 5, 4, 0, 0, 0};
const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const Bytes kAdministrators = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};

struct Entry {
    BYTE type;
    DWORD mask;
    Bytes sid;
};

class Key {
public:
    ~Key() { Close(); }
    LONG Create(const std::wstring& path) {
        Close();
        return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                               nullptr);
    }
    LONG Open(const std::wstring& path, REGSAM sam) {
        Close();
        return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, sam, &key_);
    }
    void Close() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// An absolute descriptor whose DACL holds the entries; `nullDacl` gives a
// present but null DACL.
class Descriptor {
public:
    explicit Descriptor(const std::vector<Entry>& entries, bool nullDacl = false) : acl_(512) {
        PACL acl = reinterpret_cast<PACL>(acl_.data());
        InitializeAcl(acl, 512, ACL_REVISION);
        for (const Entry& e : entries) AddEntry(acl, e);
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor_, TRUE, nullDacl ? nullptr : acl, FALSE);
    }
    PSECURITY_DESCRIPTOR get() { return &descriptor_; }

private:
    static void AddEntry(PACL acl, const Entry& e) {
        if (e.type == ACCESS_ALLOWED_ACE_TYPE) {
            AddAccessAllowedAce(acl, ACL_REVISION, e.mask, const_cast<BYTE*>(e.sid.data()));
            return;
        }
        Bytes ace(8, 0);
        ace[0] = e.type;
        ace[2] = static_cast<BYTE>(8 + e.sid.size());
        memcpy(&ace[4], &e.mask, 4);
        ace.insert(ace.end(), e.sid.begin(), e.sid.end());
        AddAce(acl, ACL_REVISION, MAXDWORD, ace.data(), static_cast<DWORD>(ace.size()));
    }
    Bytes acl_;
    SECURITY_DESCRIPTOR descriptor_;
};

Bytes KeySecurity(HKEY key, SECURITY_INFORMATION information) {
    DWORD size = 0;
    EXPECT_EQ(RegGetKeySecurity(key, information, nullptr, &size), ERROR_INSUFFICIENT_BUFFER);
    Bytes descriptor(size);
    EXPECT_EQ(RegGetKeySecurity(key, information, descriptor.data(), &size), ERROR_SUCCESS);
    return descriptor;
}

LONG SetDacl(const std::wstring& path, Descriptor descriptor) {
    Key key;
    if (LONG opened = key.Open(path, WRITE_DAC)) return opened;
    return RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.get());
}

ProcessResult RegTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{BuildFile("wincompat-reg")};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProcess(all, {{"WINCOMPAT_PREFIX", TestPrefixRoot()}});
}

TEST(KeySecurity, KeyWithoutADescriptorHasTheDefaultOneAndAllowsEverything) {
    Key key;
    ASSERT_EQ(key.Create(L"Software\\SecurityTest\\Default"), ERROR_SUCCESS);
    Bytes descriptor = KeySecurity(key.get(), OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                                   DACL_SECURITY_INFORMATION);
    PSID owner = nullptr, group = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.data(), &owner, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorGroup(descriptor.data(), &group, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted));
    EXPECT_EQ(Bytes(static_cast<BYTE*>(owner), static_cast<BYTE*>(owner) + 16), kAdministrators);
    EXPECT_EQ(Bytes(static_cast<BYTE*>(group), static_cast<BYTE*>(group) + 12), kSystem);
    ASSERT_TRUE(present && dacl);
    EXPECT_EQ(dacl->AceCount, 3);
    EXPECT_EQ(key.Open(L"Software\\SecurityTest\\Default", KEY_ALL_ACCESS | ACCESS_SYSTEM_SECURITY), ERROR_SUCCESS);
}

struct AccessCase {
    const char* what;
    std::vector<Entry> dacl;
    bool nullDacl;
    REGSAM desired;
    LONG expected;
};

TEST(KeySecurity, OpeningChecksTheDaclAgainstTheToken) {
    const Entry readForEveryone{ACCESS_ALLOWED_ACE_TYPE, KEY_READ, kEveryone};
    const Entry allForInteractive{ACCESS_ALLOWED_ACE_TYPE, KEY_ALL_ACCESS, kInteractive};
    const Entry allForSystem{ACCESS_ALLOWED_ACE_TYPE, KEY_ALL_ACCESS, kSystem};
    const Entry denySetValue{ACCESS_DENIED_ACE_TYPE, KEY_SET_VALUE, kEveryone};
    const AccessCase cases[] = {
        {"read only", {readForEveryone}, false, KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
        {"read only, read", {readForEveryone}, false, KEY_READ, ERROR_SUCCESS},
        {"read only, generic read", {readForEveryone}, false, GENERIC_READ, ERROR_SUCCESS},
        {"owner changes the DACL", {readForEveryone}, false, WRITE_DAC, ERROR_SUCCESS},
        {"empty DACL still lets the owner in", {}, false, READ_CONTROL | WRITE_DAC, ERROR_SUCCESS},
        {"empty DACL", {}, false, KEY_QUERY_VALUE, ERROR_ACCESS_DENIED},
        {"a group the token lacks", {allForSystem}, false, KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
        {"interactive user", {allForInteractive}, false, KEY_ALL_ACCESS, ERROR_SUCCESS},
        {"denial first", {denySetValue, allForInteractive}, false, KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
        {"denial of a right not asked", {denySetValue, allForInteractive}, false, KEY_READ, ERROR_SUCCESS},
        {"denial after the grant", {allForInteractive, denySetValue}, false, KEY_ALL_ACCESS, ERROR_SUCCESS},
        {"null DACL", {}, true, KEY_ALL_ACCESS, ERROR_SUCCESS},
    };
    int n = 0;
    for (const AccessCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring path = L"Software\\SecurityTest\\Access" + std::to_wstring(++n);
        Key created, opened;
        ASSERT_EQ(created.Create(path), ERROR_SUCCESS);
        ASSERT_EQ(SetDacl(path, Descriptor(c.dacl, c.nullDacl)), ERROR_SUCCESS);
        EXPECT_EQ(opened.Open(path, c.desired), c.expected);
        EXPECT_EQ(opened.get() != nullptr, c.expected == ERROR_SUCCESS);
        // Creating an existing key opens it, under the same check.
        if (c.desired == KEY_ALL_ACCESS) {
            EXPECT_EQ(opened.Create(path), c.expected);
        }
    }
}

TEST(KeySecurity, DescriptorPersistsAndOtherProcessesAreRefusedToo) {
    const std::wstring path = L"Software\\SecurityTest\\Persisted";
    Key key;
    ASSERT_EQ(key.Create(path), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"Before", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"),
                             2 * sizeof(WCHAR)),
              ERROR_SUCCESS);
    ASSERT_EQ(SetDacl(path, Descriptor({{ACCESS_ALLOWED_ACE_TYPE, KEY_READ, kEveryone}})), ERROR_SUCCESS);
    EXPECT_NE(ReadWholeFile(TestPrefixRoot() + "/system.reg").find("#security="), std::string::npos);

    ProcessResult add = RegTool({"add", "HKLM\\Software\\SecurityTest\\Persisted", "/v", "N", "/d", "v", "/f",
                                 "/reg:32"});
    EXPECT_NE(add.exitCode, 0);
    EXPECT_NE(add.errors.find("Access is denied."), std::string::npos) << add.output << add.errors;
    ProcessResult query = RegTool({"query", "HKLM\\Software\\SecurityTest\\Persisted", "/reg:32"});
    EXPECT_EQ(query.exitCode, 0) << query.errors;
    EXPECT_NE(query.output.find("Before"), std::string::npos);

    // Granting the interactive user full control opens it for everyone of us.
    ASSERT_EQ(SetDacl(path, Descriptor({{ACCESS_ALLOWED_ACE_TYPE, KEY_ALL_ACCESS, kInteractive}})), ERROR_SUCCESS);
    EXPECT_EQ(RegTool({"add", "HKLM\\Software\\SecurityTest\\Persisted", "/v", "N", "/d", "v", "/f", "/reg:32"})
                  .exitCode,
              0);
}

TEST(KeySecurity, HandleRightsAndSizesAreChecked) {
    const std::wstring path = L"Software\\SecurityTest\\Handles";
    Key key;
    ASSERT_EQ(key.Create(path), ERROR_SUCCESS);
    Key reader;
    ASSERT_EQ(reader.Open(path, KEY_QUERY_VALUE), ERROR_SUCCESS);
    Descriptor descriptor({});
    EXPECT_EQ(RegSetKeySecurity(reader.get(), DACL_SECURITY_INFORMATION, descriptor.get()), ERROR_ACCESS_DENIED);
    DWORD size = 0;
    EXPECT_EQ(RegGetKeySecurity(reader.get(), DACL_SECURITY_INFORMATION, nullptr, &size), ERROR_ACCESS_DENIED);
    BYTE small[8];
    size = sizeof(small);
    EXPECT_EQ(RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, small, &size), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_GT(size, sizeof(small));
    // Setting the DACL keeps the owner and group the key had.
    ASSERT_EQ(RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.get()), ERROR_SUCCESS);
    Bytes after = KeySecurity(key.get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(after.data(), &owner, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorDacl(after.data(), &present, &dacl, &defaulted));
    EXPECT_EQ(Bytes(static_cast<BYTE*>(owner), static_cast<BYTE*>(owner) + 16), kAdministrators);
    ASSERT_TRUE(present && dacl);
    EXPECT_EQ(dacl->AceCount, 0);
}

}  // namespace
