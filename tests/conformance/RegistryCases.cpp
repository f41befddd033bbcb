// The registry: creating and opening keys, names without regard to case,
// value types and sizes, enumeration, deletion, the 32- and 64-bit views and
// key security. Sizes count bytes of WCHARs, whatever size a WCHAR has.
#include "Harness.h"
#include "Scratch.h"

#include <string>
#include <vector>

using namespace conformance;

namespace {

const wchar_t kRoot[] = L"Software\\Conformance";

std::wstring CaseKey(const wchar_t* name) { return std::wstring(kRoot) + L"\\" + name; }

LONG Create(HKEY root, const std::wstring& path, Key& key, REGSAM extra = 0, DWORD* disposition = nullptr) {
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | extra, nullptr, key.receive(),
                           disposition);
}

LONG OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
    Key key;
    return RegOpenKeyExW(root, path.c_str(), 0, access, key.receive());
}

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

std::wstring QueryString(HKEY key, const wchar_t* name) {
    WCHAR buffer[512] = {};
    DWORD size = sizeof(buffer), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return L"(missing)";
    return std::wstring(buffer, size / sizeof(WCHAR) - (size && buffer[size / sizeof(WCHAR) - 1] == 0 ? 1 : 0));
}

}  // namespace

CONFORMANCE_CASE(Registry, CreateOpenAndDisposition) {
    Key key;
    DWORD disposition = 0;
    std::wstring path = CaseKey(L"Create\\Nested\\Deep");
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, path, key, 0, &disposition), ERROR_SUCCESS);
    CHECK_EQ(disposition, REG_CREATED_NEW_KEY);
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, path, key, 0, &disposition), ERROR_SUCCESS);
    CHECK_EQ(disposition, REG_OPENED_EXISTING_KEY);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, CaseKey(L"Create\\Nested"), KEY_READ), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, CaseKey(L"Create\\Missing"), KEY_READ), ERROR_FILE_NOT_FOUND);
    // A subkey path given relative to an open key.
    Key parent, child;
    REQUIRE_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, CaseKey(L"Create").c_str(), 0, KEY_READ, parent.receive()),
               ERROR_SUCCESS);
    CHECK_EQ(RegOpenKeyExW(parent.get(), L"Nested\\Deep", 0, KEY_READ, child.receive()), ERROR_SUCCESS);
    CHECK_EQ(RegCloseKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234))), ERROR_INVALID_HANDLE);
}

CONFORMANCE_CASE(Registry, NamesIgnoreCaseAndKeepIt) {
    Key key;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Case\\MixedKey"), key), ERROR_SUCCESS);
    REQUIRE_EQ(SetString(key.get(), L"MixedValue", L"text"), ERROR_SUCCESS);
    Key upper;
    REQUIRE_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\CONFORMANCE\\CASE\\MIXEDKEY", 0, KEY_ALL_ACCESS,
                             upper.receive()),
               ERROR_SUCCESS);
    CHECK_EQ(QueryString(upper.get(), L"MIXEDVALUE"), std::wstring(L"text"));
    CHECK_EQ(SetString(upper.get(), L"mixedvalue", L"again"), ERROR_SUCCESS);
    WCHAR name[64];
    DWORD length = 64;
    CHECK_EQ(RegEnumValueW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    CHECK_EQ(std::wstring(name, length), std::wstring(L"MixedValue"));
    CHECK_EQ(RegEnumValueW(key.get(), 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    Key parent;
    REQUIRE_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, CaseKey(L"case").c_str(), 0, KEY_READ, parent.receive()),
               ERROR_SUCCESS);
    CHECK_EQ(RegEnumKeyW(parent.get(), 0, name, 64), ERROR_SUCCESS);
    CHECK_EQ(std::wstring(name), std::wstring(L"MixedKey"));
}

// Query sizes include the terminator the caller stored; a short buffer gives
// ERROR_MORE_DATA with the size needed.
CONFORMANCE_CASE(Registry, StringSizes) {
    Key key;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Sizes"), key), ERROR_SUCCESS);
    REQUIRE_EQ(SetString(key.get(), L"abc", L"abc"), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    CHECK_EQ(RegQueryValueExW(key.get(), L"abc", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    CHECK_EQ(type, REG_SZ);
    CHECK_EQ(size, 4 * sizeof(WCHAR));
    WCHAR small[2];
    size = sizeof(small);
    CHECK_EQ(RegQueryValueExW(key.get(), L"abc", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
             ERROR_MORE_DATA);
    CHECK_EQ(size, 4 * sizeof(WCHAR));
    WCHAR exact[4];
    size = sizeof(exact);
    CHECK_EQ(RegQueryValueExW(key.get(), L"abc", nullptr, &type, reinterpret_cast<BYTE*>(exact), &size),
             ERROR_SUCCESS);
    CHECK_EQ(std::wstring(exact), std::wstring(L"abc"));
    CHECK_EQ(RegQueryValueExW(key.get(), L"missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    // The default value: a NULL name and an empty one are the same.
    REQUIRE_EQ(SetString(key.get(), nullptr, L"default"), ERROR_SUCCESS);
    CHECK_EQ(QueryString(key.get(), L""), std::wstring(L"default"));
}

CONFORMANCE_CASE(Registry, ValueTypesRoundTrip) {
    Key key;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Types"), key), ERROR_SUCCESS);
    DWORD number = 0x2A;
    unsigned long long quad = 0x1122334455667788ull;
    const BYTE binary[] = {0xDE, 0xAD, 0x00, 0xBE, 0xEF};
    const WCHAR multi[] = L"one\0two\0";
    const WCHAR expand[] = L"%TEMP%\\x";
    const WCHAR chinese[] = {0x4E2D, 0x6587, L'!', 0};
    struct Row {
        const wchar_t* name;
        DWORD type;
        const void* data;
        DWORD size;
    } rows[] = {
        {L"dword", REG_DWORD, &number, sizeof(number)},
        {L"qword", REG_QWORD, &quad, sizeof(quad)},
        {L"binary", REG_BINARY, binary, sizeof(binary)},
        {L"multi", REG_MULTI_SZ, multi, sizeof(multi)},
        {L"expand", REG_EXPAND_SZ, expand, sizeof(expand)},  // stored and read back unexpanded
        {L"chinese", REG_SZ, chinese, sizeof(chinese)},
        {L"empty", REG_SZ, L"", sizeof(WCHAR)},
        {L"none", REG_BINARY, binary, 0},
    };
    for (const Row& row : rows)
        CHECK_EQ(RegSetValueExW(key.get(), row.name, 0, row.type, static_cast<const BYTE*>(row.data), row.size),
                 ERROR_SUCCESS);
    for (const Row& row : rows) {
        BYTE buffer[128] = {};
        DWORD type = 0, size = sizeof(buffer);
        CHECK_EQ(RegQueryValueExW(key.get(), row.name, nullptr, &type, buffer, &size), ERROR_SUCCESS);
        CHECK_EQ(type, row.type);
        CHECK_EQ(std::string(reinterpret_cast<const char*>(buffer), size),
                 std::string(static_cast<const char*>(row.data), row.size));
    }
}

CONFORMANCE_CASE(Registry, EnumerationRules) {
    Key key, child;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Enum"), key), ERROR_SUCCESS);
    for (const wchar_t* name : {L"first", L"second-longer-name"})
        REQUIRE_EQ(Create(key.get(), name, child), ERROR_SUCCESS);
    std::vector<std::wstring> names;
    WCHAR name[64];
    DWORD index = 0;
    for (; RegEnumKeyW(key.get(), index, name, 64) == ERROR_SUCCESS; ++index) names.emplace_back(name);
    CHECK_EQ(index, 2u);
    CHECK_EQ(RegEnumKeyW(key.get(), 2, name, 64), ERROR_NO_MORE_ITEMS);
    CHECK((names == std::vector<std::wstring>{L"first", L"second-longer-name"}));
    // Lengths are in characters without the terminator; a short buffer is an error.
    for (DWORD i = 0; i < 2; ++i) {
        DWORD length = 8;
        LONG result = RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (names[i].size() < 8) {
            CHECK_EQ(result, ERROR_SUCCESS);
            CHECK_EQ(length, names[i].size());
        } else {
            CHECK_EQ(result, ERROR_MORE_DATA);
        }
    }
    CHECK_EQ(RegEnumKeyW(key.get(), 0, name, 3), ERROR_MORE_DATA);
}

// A key with subkeys cannot be deleted alone; RegDeleteTreeW removes it all.
CONFORMANCE_CASE(Registry, DeletionRules) {
    {
        Key child;
        REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Delete\\Parent\\Child"), child), ERROR_SUCCESS);
        REQUIRE_EQ(SetString(child.get(), L"v", L"x"), ERROR_SUCCESS);
    }
    CHECK_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, CaseKey(L"Delete\\Parent").c_str()), ERROR_ACCESS_DENIED);
    CHECK_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, CaseKey(L"Delete\\Missing").c_str()), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, CaseKey(L"Delete\\Parent").c_str()), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, CaseKey(L"Delete\\Parent"), KEY_READ), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, CaseKey(L"Delete"), KEY_READ), ERROR_SUCCESS);
    Key key;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Delete"), key), ERROR_SUCCESS);
    REQUIRE_EQ(SetString(key.get(), L"v", L"x"), ERROR_SUCCESS);
    CHECK_EQ(RegDeleteValueW(key.get(), L"V"), ERROR_SUCCESS);
    CHECK_EQ(RegDeleteValueW(key.get(), L"v"), ERROR_FILE_NOT_FOUND);
}

// HKLM\Software has a 32-bit view (Wow6432Node) and a 64-bit one; HKCU\Software is one key for both.
CONFORMANCE_CASE(Registry, Wow64Views) {
    std::wstring path = L"Software\\ConformanceViews";
    Key key;
    REQUIRE_EQ(Create(HKEY_LOCAL_MACHINE, path, key, KEY_WOW64_32KEY), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_32KEY), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_64KEY), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(OpenKey(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\ConformanceViews", KEY_READ | KEY_WOW64_64KEY),
             ERROR_SUCCESS);
    // Without a flag a program sees the view of its own bitness.
    CHECK_EQ(OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ), ProgramBits() == 32 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    Key user;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Views"), user, KEY_WOW64_32KEY), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, CaseKey(L"Views"), KEY_READ | KEY_WOW64_64KEY), ERROR_SUCCESS);
    CHECK_EQ(RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\ConformanceViews", KEY_READ | KEY_WOW64_64KEY),
             ERROR_FILE_NOT_FOUND);
}

// The uninstall entries of a 32-bit program land under Wow6432Node.
CONFORMANCE_CASE(Registry, UninstallEntriesOfThe32BitView) {
    std::wstring entry = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ConformanceProduct";
    Key key;
    REQUIRE_EQ(Create(HKEY_LOCAL_MACHINE, entry, key, KEY_WOW64_32KEY), ERROR_SUCCESS);
    REQUIRE_EQ(SetString(key.get(), L"DisplayName", L"Conformance"), ERROR_SUCCESS);
    Key native;
    REQUIRE_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                             L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                             L"ConformanceProduct",
                             0, KEY_READ | KEY_WOW64_64KEY, native.receive()),
               ERROR_SUCCESS);
    CHECK_EQ(QueryString(native.get(), L"DisplayName"), std::wstring(L"Conformance"));
    CHECK_EQ(OpenKey(HKEY_LOCAL_MACHINE, entry, KEY_READ | KEY_WOW64_64KEY), ERROR_FILE_NOT_FOUND);
}

CONFORMANCE_CASE(Registry, NonAsciiNames) {
    const std::wstring name = {0x5378, 0x8F7D, L'-', 0x00E9};
    Key key;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Text\\") + name, key), ERROR_SUCCESS);
    REQUIRE_EQ(SetString(key.get(), name.c_str(), name), ERROR_SUCCESS);
    Key parent;
    REQUIRE_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, CaseKey(L"Text").c_str(), 0, KEY_READ, parent.receive()),
               ERROR_SUCCESS);
    WCHAR found[32];
    CHECK_EQ(RegEnumKeyW(parent.get(), 0, found, 32), ERROR_SUCCESS);
    CHECK_EQ(std::wstring(found), name);
    CHECK_EQ(QueryString(key.get(), name.c_str()), name);
}

namespace {

// A DACL of one entry granting Everyone the given access, in `acl`.
bool EveryoneOnly(DWORD access, BYTE* acl, DWORD size, SECURITY_DESCRIPTOR& descriptor) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return false;
    bool built = InitializeAcl(reinterpret_cast<PACL>(acl), size, ACL_REVISION) &&
                 AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, access, everyone) &&
                 InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl), FALSE);
    FreeSid(everyone);
    return built;
}

}  // namespace

// A DACL set on a key is enforced at the next open; its owner may still
// change it (WRITE_DAC), which is how access is granted back.
CONFORMANCE_CASE(Registry, KeySecurityIsEnforced) {
    std::wstring path = CaseKey(L"Secured");
    Key key;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, path, key), ERROR_SUCCESS);
    BYTE acl[64];
    SECURITY_DESCRIPTOR descriptor;
    REQUIRE(EveryoneOnly(KEY_READ, acl, sizeof(acl), descriptor));
    CHECK_EQ(RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, path, KEY_SET_VALUE), ERROR_ACCESS_DENIED);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, path, KEY_READ), ERROR_SUCCESS);

    BYTE stored[256];
    DWORD size = sizeof(stored);
    CHECK_EQ(RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, stored, &size), ERROR_SUCCESS);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = nullptr;
    CHECK(GetSecurityDescriptorDacl(stored, &present, &dacl, &defaulted));
    REQUIRE(present && dacl);
    CHECK_EQ(dacl->AceCount, 1);
    ACCESS_ALLOWED_ACE* ace = nullptr;
    REQUIRE(GetAce(dacl, 0, reinterpret_cast<void**>(&ace)));
    CHECK_EQ(ace->Mask, static_cast<DWORD>(KEY_READ));

    Key owner;
    REQUIRE_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, owner.receive()), ERROR_SUCCESS);
    REQUIRE(EveryoneOnly(KEY_ALL_ACCESS, acl, sizeof(acl), descriptor));
    CHECK_EQ(RegSetKeySecurity(owner.get(), DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    CHECK_EQ(OpenKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS), ERROR_SUCCESS);
}

// Flushing answers for any open key, the predefined ones included.
CONFORMANCE_CASE(Registry, FlushKey) {
    Key key;
    REQUIRE_EQ(Create(HKEY_CURRENT_USER, CaseKey(L"Flush"), key, 0, nullptr), ERROR_SUCCESS);
    CHECK_EQ(RegFlushKey(key.get()), ERROR_SUCCESS);
    CHECK_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    CHECK_EQ(RegFlushKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234))), ERROR_INVALID_HANDLE);
}
