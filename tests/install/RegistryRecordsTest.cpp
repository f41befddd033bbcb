// The product key, the uninstall entry and the application-information key,
// read back in the 32-bit view through the API and through wincompat-reg.
#include <windows.h>

#include "app/InstallOptions.h"
#include "install/KeyAccess.h"
#include "install/RegistryRecords.h"
#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/StepOutcome.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <string.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

const wchar_t kInstallFolder[] = L"C:\\Program Files (x86)\\Velmora\\";
const wchar_t kProductKey[] = L"Software\\Velmora";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kEntryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanti文件数据恢复";
const wchar_t kAppInfoKey[] = L"Software\\Velmora\\AppInfo";
const Bytes kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const Bytes kInteractive = {1, 1, 0, 0, 0, 0, 0, 5, 4, 0, 0, 0};
const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

struct Text {
    DWORD type;
    DWORD size;
    std::wstring text;
};

// A REG_SZ value of HKLM\path in the view `view` selects (0: the process's own).
std::optional<Text> QueryText(const std::wstring& path, const wchar_t* name, REGSAM view = 0) {
    ScopedKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS)
        return std::nullopt;
    WCHAR data[1024] = {};
    DWORD type = 0, size = sizeof(data);
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return Text{type, size, data};
}

bool KeyExists(const std::wstring& path) {
    ScopedKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}

void CreateKey(const std::wstring& path) {
    ScopedKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.receive(), nullptr),
              ERROR_SUCCESS);
}

// Gives HKLM\path a DACL of the one entry (none: an empty DACL) and, when
// given, a new owner.
void SetKeySecurity(const std::wstring& path, const Bytes* sid, DWORD mask, const Bytes* owner = nullptr) {
    ScopedKey key;
    REGSAM rights = WRITE_DAC | (owner ? WRITE_OWNER : 0);
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, rights, key.receive()), ERROR_SUCCESS);
    BYTE aclBuffer[64];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    InitializeAcl(acl, sizeof(aclBuffer), ACL_REVISION);
    if (sid) AddAccessAllowedAce(acl, ACL_REVISION, mask, const_cast<BYTE*>(sid->data()));
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    SECURITY_INFORMATION parts = DACL_SECURITY_INFORMATION;
    if (owner) {
        SetSecurityDescriptorOwner(&descriptor, const_cast<BYTE*>(owner->data()), FALSE);
        parts |= OWNER_SECURITY_INFORMATION;
    }
    ASSERT_EQ(RegSetKeySecurity(key.get(), parts, &descriptor), ERROR_SUCCESS);
}

void RefuseFullAccess(const std::wstring& path) { SetKeySecurity(path, &kEveryone, KEY_READ); }
void Reopen(const std::wstring& path) { SetKeySecurity(path, &kEveryone, KEY_ALL_ACCESS); }

Bytes DaclBytes(const std::wstring& path) {
    ScopedKey key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, key.receive()), ERROR_SUCCESS);
    BYTE descriptor[256];
    DWORD size = sizeof(descriptor);
    EXPECT_EQ(RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor, &size), ERROR_SUCCESS);
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    return dacl ? Bytes(reinterpret_cast<BYTE*>(dacl), reinterpret_cast<BYTE*>(dacl) + dacl->AclSize) : Bytes();
}

ProcessResult RegQuery(const std::string& key) {
    return RunProcess({BuildFile("wincompat-reg"), "query", key, "/reg:32"}, {{"WINCOMPAT_PREFIX", TestPrefixRoot()}});
}

class RegistryRecords : public testing::Test {
protected:
    void SetUp() override {
        CreateKey(kUninstallKey);
        SetOption(L"UserDataFilePath", wincompat::UnixToDos(configFile_));
        SetOption(L"Qid", L"");
    }
    void TearDown() override {
        for (const wchar_t* path : {L"Software", kUninstallKey}) Reopen(path);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kEntryKey);
    }
    std::string configFile_ = MakeTestFolder("records") + "/VelmoraUser.ini";
};

TEST_F(RegistryRecords, AllRecordsLandInThe32BitView) {
    SetOption(L"Qid", L"kd8Q2w==");
    EXPECT_EQ(Outcome(WriteUninstallRecords(kInstallFolder)), "done");
    EXPECT_EQ(Outcome(WriteAppInfo(nullptr, kInstallFolder)), "done");
    std::wstring folder = kInstallFolder;
    struct Expected {
        const wchar_t* key;
        const wchar_t* name;
        std::wstring text;
    };
    const Expected values[] = {
        {kProductKey, L"InstallPath", folder},
        {kEntryKey, L"DisplayName", L"Orvanti文件数据恢复 1.0.1.2016"},
        {kEntryKey, L"UninstallString", folder + L"Dravenko.exe"},
        {kEntryKey, L"DisplayIcon", folder + L"Pellamor.exe"},
        {kEntryKey, L"DisplayVersion", L"1.0.1.2016"},
        {kEntryKey, L"Publisher", L"ORVANTI"},
        {kEntryKey, L"URLInfoAbout", L"http://www.orvanti.example/luping"},
        {kAppInfoKey, L"AppSpreaderID", L"kd8Q2w=="},
        {kAppInfoKey, L"AppPath", folder},
        {kAppInfoKey, L"AppVersion", L"1.0.1.2016"},
    };
    for (const Expected& v : values) {
        std::optional<Text> got = QueryText(v.key, v.name, KEY_WOW64_32KEY);
        ASSERT_TRUE(got.has_value()) << std::string(v.name, v.name + wcslen(v.name));
        EXPECT_EQ(got->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(got->text, v.text);
        EXPECT_EQ(got->size, (v.text.size() + 1) * sizeof(WCHAR));
        EXPECT_FALSE(QueryText(v.key, v.name, KEY_WOW64_64KEY).has_value());
    }
    ProcessResult entry = RegQuery("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanti文件数据恢复");
    EXPECT_EQ(entry.exitCode, 0) << entry.errors;
    EXPECT_NE(entry.output.find("DisplayName    REG_SZ    Orvanti文件数据恢复 1.0.1.2016"), std::string::npos)
        << entry.output;
    ProcessResult appInfo = RunProcess({BuildFile("wincompat-reg"), "query", "HKLM\\Software\\Wow6432Node\\Velmora\\AppInfo"},
                                       {{"WINCOMPAT_PREFIX", TestPrefixRoot()}});
    EXPECT_NE(appInfo.output.find("AppVersion    REG_SZ    1.0.1.2016"), std::string::npos) << appInfo.output;
    // The user configuration file comes last.
    EXPECT_NE(ReadWholeFile(configFile_).find("InstallPath="), std::string::npos);
}

TEST_F(RegistryRecords, EmptyQidIsTheTerminatorOnly) {
    EXPECT_EQ(Outcome(WriteAppInfo(nullptr, kInstallFolder)), "done");
    std::optional<Text> got = QueryText(kAppInfoKey, L"AppSpreaderID");
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->size, sizeof(WCHAR));
    EXPECT_EQ(got->text, L"");
}

TEST_F(RegistryRecords, TwoInstallsLeaveOneUninstallEntry) {
    WriteUninstallRecords(kInstallFolder);
    WriteUninstallRecords(L"D:\\Other\\");
    ScopedKey uninstall;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, uninstall.receive()), ERROR_SUCCESS);
    int entries = 0;
    WCHAR name[256];
    for (DWORD i = 0; RegEnumKeyW(uninstall.get(), i, name, 256) == ERROR_SUCCESS; ++i)
        entries += std::wstring(name) == L"Orvanti文件数据恢复";
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(QueryText(kEntryKey, L"UninstallString")->text, L"D:\\Other\\Dravenko.exe");
}

TEST_F(RegistryRecords, RefusedKeysLeaveTheirRecordsUnwrittenAndFail) {
    struct Case {
        const wchar_t* refused;
        bool productWritten;
        const char* failure;
    };
    const Case cases[] = {
        {L"Software", false, "install failed: opening HKLM\\SoftWare: error 5"},
        {kUninstallKey, true,
         "install failed: opening HKLM\\software\\Microsoft\\Windows\\CurrentVersion\\Uninstall: error 5"},
    };
    for (const Case& c : cases) {
        RefuseFullAccess(c.refused);
        EXPECT_EQ(Outcome(WriteUninstallRecords(kInstallFolder)), c.failure);
        Reopen(c.refused);
        EXPECT_EQ(QueryText(kProductKey, L"InstallPath").has_value(), c.productWritten);
        EXPECT_FALSE(KeyExists(kEntryKey));
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
    }
}

TEST_F(RegistryRecords, TextsBeyondTheirBuffersAreNotWritten) {
    std::wstring longFolder = L"C:\\" + std::wstring(260, L'a') + L"\\";  // 264 characters
    EXPECT_EQ(Outcome(WriteUninstallRecords(longFolder)), "done");  // left out on purpose
    EXPECT_FALSE(QueryText(kProductKey, L"InstallPath").has_value());
    EXPECT_FALSE(QueryText(kEntryKey, L"UninstallString").has_value());
    EXPECT_FALSE(QueryText(kEntryKey, L"DisplayIcon").has_value());
    EXPECT_EQ(QueryText(kEntryKey, L"Publisher")->text, L"ORVANTI");
}

TEST_F(RegistryRecords, RefusingAppInfoTreeGetsTheInteractiveDaclThenTheValues) {
    const std::wstring sub = std::wstring(kAppInfoKey) + L"\\Sub", deeper = sub + L"\\Deeper";
    CreateKey(deeper);
    for (const std::wstring& path : {std::wstring(kAppInfoKey), sub, deeper}) RefuseFullAccess(path);
    ScopedKey refused;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppInfoKey, 0, KEY_ALL_ACCESS, refused.receive()),
              ERROR_ACCESS_DENIED);

    EXPECT_EQ(Outcome(WriteAppInfo(nullptr, kInstallFolder)), "done");
    EXPECT_EQ(QueryText(kAppInfoKey, L"AppPath")->text, kInstallFolder);
    Bytes expected = {2, 0, 32, 0, 1, 0, 0, 0, ACCESS_ALLOWED_ACE_TYPE, 0, 20, 0, 0x3F, 0, 0x0F, 0};
    expected.insert(expected.end(), kInteractive.begin(), kInteractive.end());
    expected.resize(32);  // four bytes stay free
    for (const std::wstring& path : {std::wstring(kAppInfoKey), sub, deeper}) {
        Bytes dacl = DaclBytes(path);
        ASSERT_EQ(dacl.size(), 32u);
        EXPECT_EQ(Bytes(dacl.begin(), dacl.begin() + 28), Bytes(expected.begin(), expected.begin() + 28));
        ScopedKey open;
        EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, open.receive()), ERROR_SUCCESS);
    }
}

TEST_F(RegistryRecords, WalkStopsAtAKeyThatRefusesItsDacl) {
    const std::wstring top = L"Software\\Velmora\\Walk";
    CreateKey(top + L"\\A");
    CreateKey(top + L"\\B");
    RefuseFullAccess(top);
    SetKeySecurity(top + L"\\A", nullptr, 0, &kSystem);  // owned by SYSTEM, empty DACL: no WRITE_DAC
    RefuseFullAccess(top + L"\\B");
    EXPECT_FALSE(GrantKeyAccessRecursive(HKEY_LOCAL_MACHINE, top.c_str()));
    ScopedKey key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, top.c_str(), 0, KEY_ALL_ACCESS, key.receive()), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (top + L"\\B").c_str(), 0, KEY_ALL_ACCESS, key.receive()),
              ERROR_ACCESS_DENIED);
    EXPECT_FALSE(GrantKeyAccessRecursive(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Missing"));

    // An AppInfo key that can be neither granted nor created: no values, and the step fails there.
    CreateKey(kAppInfoKey);
    SetKeySecurity(kAppInfoKey, nullptr, 0, &kSystem);
    EXPECT_EQ(Outcome(WriteAppInfo(nullptr, kInstallFolder)),
              "install failed: creating HKLM\\SOFTWARE\\Velmora\\AppInfo: error 5");
    EXPECT_FALSE(QueryText(kAppInfoKey, L"AppPath").has_value());
    EXPECT_EQ(ReadWholeFile(configFile_).find("InstallPath="), std::string::npos);
}

}  // namespace
