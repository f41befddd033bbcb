#include "PrefixReading.h"

#include <objbase.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

DWORD EveryoneAccess(const std::wstring& path) {
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> descriptor(needed ? needed : 1);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) return 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted) || !present || !dacl) return 0;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return 0;
    DWORD access = 0;
    ACCESS_ALLOWED_ACE* ace = nullptr;
    for (DWORD i = 0; GetAce(dacl, i, reinterpret_cast<void**>(&ace)); ++i)
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, everyone)) access |= ace->Mask;
    FreeSid(everyone);
    return access;
}

void AddEntries(const std::wstring& root, const std::wstring& relative, std::vector<TreeEntry>& entries) {
    std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    entries.push_back({relative, GetFileAttributesW(folder.c_str()), EveryoneAccess(folder)});
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            AddEntries(root, child, entries);
        } else {
            std::wstring path = root + L"\\" + child;
            entries.push_back({child, GetFileAttributesW(path.c_str()), EveryoneAccess(path)});
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

}  // namespace

std::vector<TreeEntry> ListTree(const std::wstring& root) {
    std::vector<TreeEntry> entries;
    AddEntries(root, L"", entries);
    return entries;
}

LinkFields ReadLink(const std::wstring& path) {
    LinkFields fields;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    fields.result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link));
    if (SUCCEEDED(fields.result))
        fields.result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(fields.result)) fields.result = file->Load(path.c_str(), STGM_READ);
    if (SUCCEEDED(fields.result)) {
        WCHAR text[MAX_PATH] = L"";
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        fields.target = text;
        text[0] = L'\0';
        link->GetArguments(text, MAX_PATH);
        fields.arguments = text;
        text[0] = L'\0';
        link->GetWorkingDirectory(text, MAX_PATH);
        fields.folder = text;
    }
    if (file) file->Release();
    if (link) link->Release();
    return fields;
}
