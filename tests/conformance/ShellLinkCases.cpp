// Shell links: CLSID_ShellLink through COM, saved with IPersistFile and read
// back by a fresh object; the bytes of the file; COM's initialisation rule.
#include "Harness.h"
#include "Scratch.h"

#include <objbase.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <thread>

using namespace conformance;

namespace {

// An interface pointer released when it goes out of scope.
template <typename Interface>
class Reference {
public:
    Reference() = default;
    ~Reference() {
        if (pointer_) pointer_->Release();
    }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    void** receive() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

struct ComScope {
    HRESULT result = CoInitialize(nullptr);
    ~ComScope() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
};

struct LinkFields {
    std::wstring target, arguments, folder, description, icon;
    int iconIndex = 0;
    int show = 0;
};

HRESULT SaveLink(const std::wstring& file, const LinkFields& fields) {
    Reference<IShellLinkW> link;
    HRESULT result =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive());
    if (FAILED(result)) return result;
    link->SetPath(fields.target.c_str());
    if (!fields.arguments.empty()) link->SetArguments(fields.arguments.c_str());
    if (!fields.folder.empty()) link->SetWorkingDirectory(fields.folder.c_str());
    if (!fields.description.empty()) link->SetDescription(fields.description.c_str());
    if (!fields.icon.empty()) link->SetIconLocation(fields.icon.c_str(), fields.iconIndex);
    if (fields.show) link->SetShowCmd(fields.show);
    Reference<IPersistFile> persist;
    result = link->QueryInterface(IID_IPersistFile, persist.receive());
    return FAILED(result) ? result : persist->Save(file.c_str(), TRUE);
}

HRESULT LoadLink(const std::wstring& file, LinkFields& fields) {
    Reference<IShellLinkW> link;
    HRESULT result =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive());
    if (FAILED(result)) return result;
    Reference<IPersistFile> persist;
    result = link->QueryInterface(IID_IPersistFile, persist.receive());
    if (SUCCEEDED(result)) result = persist->Load(file.c_str(), STGM_READ);
    if (FAILED(result)) return result;
    WCHAR text[MAX_PATH];
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    fields.target = text;
    link->GetArguments(text, MAX_PATH);
    fields.arguments = text;
    link->GetWorkingDirectory(text, MAX_PATH);
    fields.folder = text;
    link->GetDescription(text, MAX_PATH);
    fields.description = text;
    link->GetIconLocation(text, MAX_PATH, &fields.iconIndex);
    fields.icon = text;
    link->GetShowCmd(&fields.show);
    return S_OK;
}

unsigned Byte(const std::string& bytes, size_t offset) {
    return offset < bytes.size() ? static_cast<unsigned char>(bytes[offset]) : 0x100;
}

}  // namespace

CONFORMANCE_CASE(ShellLinks, SavedLinkReadsBack) {
    ComScope com;
    REQUIRE(SUCCEEDED(com.result));
    std::wstring folder = CaseFolder(L"ShellLinks.SavedLinkReadsBack");
    std::wstring file = folder + L"\\Program.lnk";
    LinkFields saved;
    saved.target = L"C:\\Program Files (x86)\\Velmora\\Pellamor.exe";
    saved.arguments = L"/from \"start menu\"";
    saved.folder = L"C:\\Program Files (x86)\\Velmora";
    saved.description = L"Starts the program";
    saved.icon = L"C:\\Program Files (x86)\\Velmora\\Pellamor.exe";
    saved.iconIndex = 2;
    saved.show = SW_SHOWMINNOACTIVE;
    REQUIRE_EQ(SaveLink(file, saved), S_OK);
    LinkFields loaded;
    REQUIRE_EQ(LoadLink(file, loaded), S_OK);
    CHECK_EQ(loaded.target, saved.target);
    CHECK_EQ(loaded.arguments, saved.arguments);
    CHECK_EQ(loaded.folder, saved.folder);
    CHECK_EQ(loaded.description, saved.description);
    CHECK_EQ(loaded.icon, saved.icon);
    CHECK_EQ(loaded.iconIndex, 2);
    WINE_DIVERGES("Wine's IShellLinkW::Load does not read the show command", CHECK_EQ(loaded.show, SW_SHOWMINNOACTIVE));
}

// The header: its size, the class id, flags for an ID list, a link info
// block and Unicode strings, and the show command at 0x3C.
CONFORMANCE_CASE(ShellLinks, FileHeader) {
    ComScope com;
    std::wstring file = CaseFolder(L"ShellLinks.FileHeader") + L"\\Header.lnk";
    LinkFields saved;
    saved.target = L"C:\\Windows\\notepad.exe";
    saved.show = SW_SHOWMAXIMIZED;
    REQUIRE_EQ(SaveLink(file, saved), S_OK);
    std::string bytes = ReadBytes(file);
    REQUIRE(bytes.size() > 0x4C);
    CHECK_EQ(bytes.substr(0, 4), std::string("\x4C\0\0\0", 4));
    CHECK_EQ(bytes.substr(4, 16), std::string("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16));
    unsigned flags = Byte(bytes, 0x14);
    CHECK_EQ(flags & 0x83u, 0x83u);
    CHECK_EQ(Byte(bytes, 0x3C), static_cast<unsigned>(SW_SHOWMAXIMIZED));
}

// A folder name outside the ANSI code page survives the round trip.
CONFORMANCE_CASE(ShellLinks, NonAsciiTarget) {
    ComScope com;
    std::wstring folder = CaseFolder(L"ShellLinks.NonAsciiTarget");
    LinkFields saved;
    saved.target = std::wstring(L"C:\\Program Files (x86)\\") + wchar_t(0x6570) + wchar_t(0x636E) + L"\\App.exe";
    REQUIRE_EQ(SaveLink(folder + L"\\Wide.lnk", saved), S_OK);
    LinkFields loaded;
    REQUIRE_EQ(LoadLink(folder + L"\\Wide.lnk", loaded), S_OK);
    WINE_DIVERGES("Wine reads only the ANSI path of the link info, through the ANSI code page",
                  CHECK_EQ(loaded.target, saved.target));
}

// COM objects need CoInitialize(Ex) on the calling thread first; a second
// initialisation in the same mode is counted.
CONFORMANCE_CASE(ShellLinks, ComNeedsInitialisation) {
    HRESULT before = S_OK, initialised = E_FAIL, after = E_FAIL, sameMode = E_FAIL;
    std::thread fresh([&] {
        {
            Reference<IShellLinkW> link;
            before = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive());
        }
        initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            Reference<IShellLinkW> link;
            after = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive());
        }
        if (FAILED(initialised)) return;
        sameMode = CoInitialize(nullptr);
        if (SUCCEEDED(sameMode)) CoUninitialize();
        CoUninitialize();
    });
    fresh.join();
    CHECK_EQ(before, CO_E_NOTINITIALIZED);
    CHECK_EQ(initialised, S_OK);
    CHECK_EQ(after, S_OK);
    CHECK_EQ(sameMode, S_FALSE);
}

// A thread in one apartment cannot enter the other kind.
CONFORMANCE_CASE(ShellLinks, ComApartmentModeIsKept) {
    HRESULT first = E_FAIL, second = S_OK;
    std::thread fresh([&] {
        first = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        second = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(second)) CoUninitialize();
        if (SUCCEEDED(first)) CoUninitialize();
    });
    fresh.join();
    CHECK_EQ(first, S_OK);
    CHECK_EQ(second, RPC_E_CHANGED_MODE);
}
