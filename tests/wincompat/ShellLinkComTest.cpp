// CoCreateInstance for the link object, its identity and reference count, and
// its settings as Save and Load carry them through a file.
#include "ShellLinkTest.h"

#include <vector>

namespace {

const CLSID kUnknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

struct CreationCase {
    const char* name;
    const CLSID* clsid;
    DWORD context;
    bool withOuter;
    const IID* iid;
    HRESULT expected;
};

TEST(ShellLinkCreation, FailsBeforeCoInitialize) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
}

TEST_F(ShellLinkTest, CreationResults) {
    IUnknown* outer = nullptr;
    TestComRef<IShellLinkW> outerLink;
    NewShellLink(outerLink);
    outer = outerLink.Get();
    const CreationCase cases[] = {
        {"shell link", &CLSID_ShellLink, CLSCTX_INPROC_SERVER, false, &IID_IShellLinkW, S_OK},
        {"as IPersistFile", &CLSID_ShellLink, CLSCTX_ALL, false, &IID_IPersistFile, S_OK},
        {"unknown class", &kUnknownClass, CLSCTX_INPROC_SERVER, false, &IID_IUnknown, REGDB_E_CLASSNOTREG},
        {"local server only", &CLSID_ShellLink, CLSCTX_LOCAL_SERVER, false, &IID_IShellLinkW, REGDB_E_CLASSNOTREG},
        {"aggregation", &CLSID_ShellLink, CLSCTX_INPROC_SERVER, true, &IID_IUnknown, CLASS_E_NOAGGREGATION},
        {"unknown interface", &CLSID_ShellLink, CLSCTX_INPROC_SERVER, false, &kUnknownClass, E_NOINTERFACE},
    };
    for (const CreationCase& c : cases) {
        SCOPED_TRACE(c.name);
        IUnknown* object = reinterpret_cast<IUnknown*>(1);
        HRESULT result = CoCreateInstance(*c.clsid, c.withOuter ? outer : nullptr, c.context, *c.iid,
                                          reinterpret_cast<void**>(&object));
        EXPECT_EQ(result, c.expected);
        if (SUCCEEDED(result)) {
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(object->Release(), 0u);
        } else {
            EXPECT_EQ(object, nullptr);
        }
    }
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, nullptr), E_POINTER);
}

TEST_F(ShellLinkTest, OneIdentityAndOneCountForBothInterfaces) {
    TestComRef<IShellLinkW> link;
    NewShellLink(link);
    TestComRef<IPersistFile> persist;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, persist.Receive()), S_OK);
    TestComRef<IShellLinkW> back;
    ASSERT_EQ(persist->QueryInterface(IID_IShellLinkW, back.Receive()), S_OK);
    EXPECT_EQ(back.Get(), link.Get());
    TestComRef<IUnknown> fromLink, fromPersist;
    ASSERT_EQ(link->QueryInterface(IID_IUnknown, fromLink.Receive()), S_OK);
    ASSERT_EQ(persist->QueryInterface(IID_IUnknown, fromPersist.Receive()), S_OK);
    EXPECT_EQ(fromLink.Get(), fromPersist.Get());
    // link, persist, back, fromLink, fromPersist: five references to one object
    EXPECT_EQ(persist->AddRef(), 6u);
    EXPECT_EQ(link->Release(), 5u);
    CLSID clsid = {};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ShellLink));
}

struct LinkSettings {
    const char* name;
    std::wstring path, arguments, workingDirectory, description, iconPath;
    int iconIndex;
    int showCommand;
    WORD hotkey;
};

void Apply(IShellLinkW* link, const LinkSettings& s) {
    EXPECT_EQ(link->SetPath(s.path.c_str()), S_OK);
    EXPECT_EQ(link->SetArguments(s.arguments.c_str()), S_OK);
    EXPECT_EQ(link->SetWorkingDirectory(s.workingDirectory.c_str()), S_OK);
    EXPECT_EQ(link->SetDescription(s.description.c_str()), S_OK);
    EXPECT_EQ(link->SetIconLocation(s.iconPath.c_str(), s.iconIndex), S_OK);
    EXPECT_EQ(link->SetShowCmd(s.showCommand), S_OK);
    EXPECT_EQ(link->SetHotkey(s.hotkey), S_OK);
}

void ExpectSettings(IShellLinkW* link, const LinkSettings& s) {
    WCHAR text[MAX_PATH];
    EXPECT_EQ(link->GetPath(text, MAX_PATH, nullptr, 0), S_OK);
    EXPECT_EQ(std::wstring(text), s.path);
    link->GetArguments(text, MAX_PATH);
    EXPECT_EQ(std::wstring(text), s.arguments);
    link->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_EQ(std::wstring(text), s.workingDirectory);
    link->GetDescription(text, MAX_PATH);
    EXPECT_EQ(std::wstring(text), s.description);
    int iconIndex = -1, showCommand = -1;
    WORD hotkey = 0xFFFF;
    link->GetIconLocation(text, MAX_PATH, &iconIndex);
    EXPECT_EQ(std::wstring(text), s.iconPath);
    EXPECT_EQ(iconIndex, s.iconIndex);
    link->GetShowCmd(&showCommand);
    EXPECT_EQ(showCommand, s.showCommand);
    link->GetHotkey(&hotkey);
    EXPECT_EQ(hotkey, s.hotkey);
}

TEST_F(ShellLinkTest, SettingsSurviveSaveAndLoad) {
    std::wstring folder = FreshFolder(L"roundtrip");
    const LinkSettings cases[] = {
        {"target only", L"C:\\Program Files (x86)\\Velmora\\Pellamor.exe", L"", L"", L"", L"", 0, SW_SHOWNORMAL, 0},
        {"everything", L"C:\\tools\\run.exe", L"/quiet \"a b\"", L"C:\\tools", L"Runs it", L"C:\\tools\\run.ico", 3,
         SW_SHOWMAXIMIZED, MAKEWORD('R', 0x06)},
        {"Chinese texts", L"C:\\数据\\恢复.exe", L"参数", L"C:\\数据", L"说明文字", L"C:\\数据\\图标.ico", 1,
         SW_SHOWMINNOACTIVE, 0},
        {"beyond the basic plane", L"C:\\x\\\U0001F600.exe", L"\U0001F600", L"", L"", L"", 0, SW_SHOWNORMAL, 0},
    };
    for (const LinkSettings& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring file = folder + L"\\" + wincompat::WideFromUtf8(c.name) + L".lnk";
        TestComRef<IShellLinkW> written;
        Apply(NewShellLink(written)->Get(), c);
        ASSERT_EQ(SaveLink(written.Get(), file), S_OK);
        TestComRef<IShellLinkW> read;
        NewShellLink(read);
        TestComRef<IPersistFile> persist;
        ASSERT_EQ(read->QueryInterface(IID_IPersistFile, persist.Receive()), S_OK);
        ASSERT_EQ(persist->Load(file.c_str(), STGM_READ), S_OK);
        ExpectSettings(read.Get(), c);
    }
}

TEST_F(ShellLinkTest, GettersCutToTheBufferAndReportNoPath) {
    TestComRef<IShellLinkW> link;
    NewShellLink(link);
    WCHAR text[8] = L"x";
    EXPECT_EQ(link->GetPath(text, 8, nullptr, 0), S_FALSE);
    EXPECT_EQ(std::wstring(text), L"");
    link->SetPath(L"C:\\a-long-name.exe");
    EXPECT_EQ(link->GetPath(text, 8, nullptr, 0), S_OK);
    EXPECT_EQ(std::wstring(text), L"C:\\a-lo");
    EXPECT_EQ(link->GetPath(text, 0, nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(link->SetPath(std::wstring(MAX_PATH, L'a').c_str()), E_INVALIDARG);
}

TEST_F(ShellLinkTest, SaveOverwritesAndReportsFailures) {
    std::wstring folder = FreshFolder(L"save");
    std::wstring file = folder + L"\\link.lnk";
    WriteTarget(file, std::string(4096, 'x'));
    TestComRef<IShellLinkW> link;
    NewShellLink(link)->Get()->SetPath(L"C:\\a.exe");
    ASSERT_EQ(SaveLink(link.Get(), file), S_OK);
    std::string bytes = ReadWholeFile(UnixPathOf(file));
    EXPECT_LT(bytes.size(), 4096u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x4C\0\0\0", 4));
    EXPECT_EQ(SaveLink(link.Get(), folder + L"\\missing\\link.lnk"), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
}

TEST_F(ShellLinkTest, LoadRefusesWhatIsNotALink) {
    std::wstring folder = FreshFolder(L"load");
    std::wstring good = folder + L"\\good.lnk";
    TestComRef<IShellLinkW> link;
    NewShellLink(link)->Get()->SetPath(L"C:\\dir\\target.exe");
    link->SetArguments(L"-x");
    ASSERT_EQ(SaveLink(link.Get(), good), S_OK);
    std::string bytes = ReadWholeFile(UnixPathOf(good));
    TestComRef<IPersistFile> persist;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, persist.Receive()), S_OK);
    EXPECT_EQ(persist->Load((folder + L"\\absent.lnk").c_str(), STGM_READ), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    // Every cut short of the last string, and a link info whose size runs past the end.
    std::string overlong = bytes;
    size_t linkInfo = 0x4C + 2 + LittleEndianAt(bytes, 0x4C, 2);
    overlong[linkInfo + 3] = '\x7F';
    std::vector<std::string> broken = {overlong};
    for (size_t length = 0; length + 4 < bytes.size(); ++length) broken.push_back(bytes.substr(0, length));
    std::wstring file = folder + L"\\broken.lnk";
    for (const std::string& content : broken) {
        WriteTarget(file, content);
        EXPECT_EQ(persist->Load(file.c_str(), STGM_READ), E_FAIL) << content.size() << " bytes";
    }
}

}  // namespace
