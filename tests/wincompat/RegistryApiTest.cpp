// advapi32's registry functions: Windows' results, sizes and error codes.
#include <windows.h>

#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class TestKey {
public:
    TestKey() = default;
    ~TestKey() { if (key_) RegCloseKey(key_); }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    HKEY get() const { return key_; }

    LONG Create(HKEY parent, const wchar_t* path, REGSAM sam = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
        return RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, &key_, disposition);
    }
    LONG Open(HKEY parent, const wchar_t* path, REGSAM sam = KEY_ALL_ACCESS) {
        return RegOpenKeyExW(parent, path, 0, sam, &key_);
    }
    LONG SetText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
        return RegSetValueExW(key_, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    }

private:
    HKEY key_ = nullptr;
};

std::string ReadHiveText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string MachineHive() { return ReadHiveText(TestPrefixRoot() + "/system.reg"); }
std::string UserHive() { return ReadHiveText(TestPrefixRoot() + "/user.reg"); }

}  // namespace

TEST(RegistryApi, CreatesOnceThenOpensWhateverTheCase) {
    TestKey created, again, opened;
    DWORD disposition = 0;
    ASSERT_EQ(created.Create(HKEY_CURRENT_USER, L"Software\\ApiTest\\MixedCase", KEY_ALL_ACCESS, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    ASSERT_EQ(again.Create(HKEY_CURRENT_USER, L"SOFTWARE\\apitest\\MIXEDCASE\\", KEY_ALL_ACCESS, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    ASSERT_EQ(opened.Open(HKEY_CURRENT_USER, L"software\\ApiTest", KEY_READ), ERROR_SUCCESS);
    WCHAR name[64];
    ASSERT_EQ(RegEnumKeyW(opened.get(), 0, name, 64), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"MixedCase");
    EXPECT_EQ(RegEnumKeyW(opened.get(), 1, name, 64), ERROR_NO_MORE_ITEMS);
    EXPECT_NE(UserHive().find("[Software\\\\ApiTest\\\\MixedCase]"), std::string::npos);
}

TEST(RegistryApi, StringSizesCountWcharsAndTextIsStoredEscaped) {
    TestKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, L"Software\\ApiTest\\Strings"), ERROR_SUCCESS);
    const std::wstring text = L"Orvanti文件数据恢复 \U0001F600";
    ASSERT_EQ(key.SetText(L"DisplayName", text), ERROR_SUCCESS);
    const DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));

    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(key.get(), L"displayname", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    std::vector<WCHAR> buffer(text.size() + 1);
    size = needed - sizeof(WCHAR);
    EXPECT_EQ(RegQueryValueExW(key.get(), L"DisplayName", nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer.data()), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(RegQueryValueExW(key.get(), L"DisplayName", nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer.data()), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer.data()), text);
    EXPECT_NE(UserHive().find("\"DisplayName\"=\"Orvanti\\x6587\\x4ef6\\x6570\\x636e\\x6062\\x590d \\xd83d\\xde00\""),
              std::string::npos);
}

TEST(RegistryApi, KeepsEveryTypeOfDataAndOneValuePerNameWhateverTheCase) {
    TestKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, L"Software\\ApiTest\\Types"), ERROR_SUCCESS);
    const DWORD number = 42;
    const BYTE bytes[] = {0xde, 0xad, 0xbe, 0xef};
    const WCHAR multi[] = L"one\0two\0";
    ASSERT_EQ(RegSetValueExW(key.get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), 0);
    ASSERT_EQ(RegSetValueExW(key.get(), L"Bytes", 0, REG_BINARY, bytes, 4), 0);
    ASSERT_EQ(RegSetValueExW(key.get(), L"List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi), 0);
    ASSERT_EQ(key.SetText(L"Path", L"first"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetText(L"PATH", L"second"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetText(nullptr, L""), ERROR_SUCCESS);

    struct Expected {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    } expected[] = {
        {L"", REG_SZ, std::vector<BYTE>(sizeof(WCHAR), 0)},
        {L"Bytes", REG_BINARY, {0xde, 0xad, 0xbe, 0xef}},
        {L"List", REG_MULTI_SZ, std::vector<BYTE>(reinterpret_cast<const BYTE*>(multi),
                                                  reinterpret_cast<const BYTE*>(multi) + sizeof multi)},
        {L"Number", REG_DWORD, {42, 0, 0, 0}},
        {L"Path", REG_SZ, std::vector<BYTE>(reinterpret_cast<const BYTE*>(L"second"),
                                            reinterpret_cast<const BYTE*>(L"second") + 7 * sizeof(WCHAR))},
    };
    DWORD index = 0;
    for (const Expected& e : expected) {
        WCHAR name[32];
        DWORD nameLength = 32, type = 0, size = 64;
        BYTE data[64];
        ASSERT_EQ(RegEnumValueW(key.get(), index++, name, &nameLength, nullptr, &type, data, &size), ERROR_SUCCESS);
        EXPECT_STREQ(name, e.name);
        EXPECT_EQ(nameLength, wcslen(e.name));
        EXPECT_EQ(type, e.type) << e.name;
        EXPECT_EQ(std::vector<BYTE>(data, data + size), e.data) << e.name;
    }
    WCHAR name[32];
    DWORD nameLength = 32;
    EXPECT_EQ(RegEnumValueW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    std::string hive = UserHive();
    for (const char* line : {"\"List\"=str(7):\"one\\0two\\0\"\n", "\"Number\"=dword:0000002a\n", "\"Path\"=\"second\"\n",
                             "\"Bytes\"=hex:de,ad,be,ef\n", "@=\"\"\n"})
        EXPECT_NE(hive.find(line), std::string::npos) << line;
}

TEST(RegistryApi, AnswersWithWindowsErrorCodes) {
    TestKey parent, sub, reader, writer, child, deleted;
    ASSERT_EQ(sub.Create(HKEY_CURRENT_USER, L"Software\\ApiTest\\Errors\\Child"), ERROR_SUCCESS);
    ASSERT_EQ(parent.Open(HKEY_CURRENT_USER, L"Software\\ApiTest\\Errors"), ERROR_SUCCESS);
    ASSERT_EQ(parent.SetText(L"Value", L"x"), ERROR_SUCCESS);
    ASSERT_EQ(reader.Open(HKEY_CURRENT_USER, L"Software\\ApiTest\\Errors", KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(writer.Open(HKEY_CURRENT_USER, L"Software\\ApiTest\\Errors", KEY_SET_VALUE), ERROR_SUCCESS);
    ASSERT_EQ(deleted.Create(HKEY_CURRENT_USER, L"Software\\ApiTest\\Errors\\Gone"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ApiTest\\Errors\\Gone"), ERROR_SUCCESS);
    WCHAR shortName[3];
    DWORD shortLength = 3, size = 0;
    HKEY closed = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &closed), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    HKEY missing = HKEY_LOCAL_MACHINE;
    struct Case {
        const char* what;
        LONG result;
        LONG expected;
    } cases[] = {
        {"open a missing key", RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ApiTest\\Nowhere", 0, KEY_READ, &missing),
         ERROR_FILE_NOT_FOUND},
        {"query a missing value", RegQueryValueExW(parent.get(), L"Nothing", nullptr, nullptr, nullptr, &size),
         ERROR_FILE_NOT_FOUND},
        {"delete a missing value", RegDeleteValueW(parent.get(), L"Nothing"), ERROR_FILE_NOT_FOUND},
        {"set through a read-only handle", reader.SetText(L"Value", L"y"), ERROR_ACCESS_DENIED},
        {"query through a write-only handle", RegQueryValueExW(writer.get(), L"Value", nullptr, nullptr, nullptr, &size),
         ERROR_ACCESS_DENIED},
        {"delete a key with subkeys", RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ApiTest\\Errors"),
         ERROR_ACCESS_DENIED},
        {"delete a missing key", RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ApiTest\\Nowhere"), ERROR_FILE_NOT_FOUND},
        {"use a deleted key", deleted.SetText(L"Value", L"z"), ERROR_KEY_DELETED},
        {"create with a leading backslash", child.Create(HKEY_CURRENT_USER, L"\\Software\\ApiTest"), ERROR_BAD_PATHNAME},
        {"enumerate into a short buffer", RegEnumKeyExW(parent.get(), 0, shortName, &shortLength, nullptr, nullptr,
                                                        nullptr, nullptr), ERROR_MORE_DATA},
        {"enumerate past the end", RegEnumKeyW(parent.get(), 1, shortName, 3), ERROR_NO_MORE_ITEMS},
        {"close a closed handle", RegCloseKey(closed), ERROR_INVALID_HANDLE},
        {"use a closed handle", RegQueryValueExW(closed, L"", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_EQ(missing, nullptr);
}

TEST(RegistryApi, DeletesKeysAndTrees) {
    TestKey top;
    ASSERT_EQ(top.Create(HKEY_CURRENT_USER, L"Software\\ApiTest\\Tree\\A\\B"), ERROR_SUCCESS);
    ASSERT_EQ(top.SetText(L"v", L"1"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ApiTest\\Tree\\A\\B"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ApiTest\\Tree\\A"), ERROR_SUCCESS);
    TestKey again;
    ASSERT_EQ(again.Create(HKEY_CURRENT_USER, L"Software\\ApiTest\\Tree\\C\\D"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ApiTest\\Tree"), ERROR_SUCCESS);
    TestKey gone;
    EXPECT_EQ(gone.Open(HKEY_CURRENT_USER, L"Software\\ApiTest\\Tree"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(UserHive().find("ApiTest\\\\Tree"), std::string::npos);
}

TEST(RegistryApi, FollowsTheCurrentControlSetLink) {
    TestKey session, select;
    ASSERT_EQ(session.Create(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager"), ERROR_SUCCESS);
    ASSERT_EQ(session.SetText(L"PendingFileRenameOperations", L"x", REG_MULTI_SZ), ERROR_SUCCESS);
    ASSERT_EQ(select.Open(HKEY_LOCAL_MACHINE, L"System\\ControlSet001\\Control\\Session Manager", KEY_READ),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(select.get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    std::string hive = MachineHive();
    EXPECT_NE(hive.find("[System\\\\ControlSet001\\\\Control\\\\Session Manager]"), std::string::npos);
    EXPECT_NE(hive.find("[System\\\\CurrentControlSet]"), std::string::npos);
    EXPECT_EQ(hive.find("[System\\\\CurrentControlSet\\\\"), std::string::npos);
}

// The 32-bit view that this process, a 32-bit program under WOW64, sees by default.
TEST(RegistryView, RedirectsMachineSoftwareForThe32BitView) {
    struct Case {
        HKEY root;
        const wchar_t* created;
        REGSAM view;
        HKEY realRoot;
        const wchar_t* real;  // where the 64-bit view finds it
    } cases[] = {
        {HKEY_LOCAL_MACHINE, L"SoftWare\\ViewTest", 0, HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\ViewTest"},
        {HKEY_LOCAL_MACHINE, L"Software\\ViewTest32", KEY_WOW64_32KEY, HKEY_LOCAL_MACHINE,
         L"Software\\Wow6432Node\\ViewTest32"},
        {HKEY_LOCAL_MACHINE, L"Software\\ViewTest64", KEY_WOW64_64KEY, HKEY_LOCAL_MACHINE, L"Software\\ViewTest64"},
        {HKEY_LOCAL_MACHINE, L"software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanti文件数据恢复", 0,
         HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanti文件数据恢复"},
        {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Explicit", 0, HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Explicit"},
        {HKEY_CURRENT_USER, L"Software\\ViewTest", 0, HKEY_CURRENT_USER, L"Software\\ViewTest"},
        {HKEY_LOCAL_MACHINE, L"System\\ViewTest", 0, HKEY_LOCAL_MACHINE, L"System\\ViewTest"},
        {HKEY_LOCAL_MACHINE, L"Software\\Classes\\.viewtest", 0, HKEY_LOCAL_MACHINE, L"Software\\Classes\\.viewtest"},
        {HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\{1}", 0, HKEY_LOCAL_MACHINE,
         L"Software\\Classes\\Wow6432Node\\CLSID\\{1}"},
        {HKEY_CLASSES_ROOT, L"CLSID\\{2}", 0, HKEY_LOCAL_MACHINE, L"Software\\Classes\\Wow6432Node\\CLSID\\{2}"},
        {HKEY_CLASSES_ROOT, L"CLSID\\{3}", KEY_WOW64_64KEY, HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\{3}"},
    };
    for (const Case& c : cases) {
        TestKey created, found;
        ASSERT_EQ(created.Create(c.root, c.created, KEY_ALL_ACCESS | c.view), ERROR_SUCCESS) << c.real;
        EXPECT_EQ(found.Open(c.realRoot, c.real, KEY_READ | KEY_WOW64_64KEY), ERROR_SUCCESS) << c.real;
    }
    TestKey native;
    EXPECT_EQ(native.Open(HKEY_LOCAL_MACHINE, L"Software\\ViewTest", KEY_READ | KEY_WOW64_64KEY), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryView, KeysBelowAnOpenedSoftwareKeyAreRedirectedToo) {
    TestKey software, product, check;
    ASSERT_EQ(software.Open(HKEY_LOCAL_MACHINE, L"SoftWare"), ERROR_SUCCESS);
    ASSERT_EQ(product.Create(software.get(), L"Velmora"), ERROR_SUCCESS);
    ASSERT_EQ(product.SetText(L"InstallPath", L"C:\\Program Files (x86)\\Velmora\\"), ERROR_SUCCESS);
    ASSERT_EQ(check.Open(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Velmora", KEY_READ | KEY_WOW64_64KEY),
              ERROR_SUCCESS);
    std::string hive = MachineHive();
    EXPECT_NE(hive.find("[Software\\\\Wow6432Node\\\\Velmora]"), std::string::npos);
    // The 32-bit view of Software lists the 32-bit keys, not Wow6432Node itself.
    WCHAR name[256];
    for (DWORD i = 0; RegEnumKeyW(software.get(), i, name, 256) == ERROR_SUCCESS; ++i)
        EXPECT_STRNE(name, L"Wow6432Node");
}
