#include "shell32/FolderBrowserIdList.h"

#include "shell32/ShellLinkFormat.h"
#include "prefix/RegistryText.h"

#include <objbase.h>

#include <string.h>

namespace wincompat {

namespace {

constexpr BYTE kRootFolderItem = 0x1F;
constexpr BYTE kDriveItem = 0x2F;
constexpr BYTE kFileEntryMask = 0x70;
constexpr BYTE kFileEntryItem = 0x30;
constexpr size_t kShortNameOffset = 14;
constexpr uint32_t kExtensionSignature = 0xBEEF0004;
constexpr size_t kVersion3NameOffset = 20;  // inside a version 3 extension block

uint16_t U16(const BYTE* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }
uint32_t U32(const BYTE* bytes) { return U16(bytes) | static_cast<uint32_t>(U16(bytes + 2)) << 16; }

// The long name from the item's extension block, else its short name.
std::wstring NameOfFileEntry(const BYTE* item, size_t size) {
    size_t block = U16(item + size - 2);
    if (block + kVersion3NameOffset < size && U32(item + block + 4) == kExtensionSignature &&
        U16(item + block + 2) == 3) {
        std::u16string name;
        for (size_t at = block + kVersion3NameOffset; at + 1 < size && U16(item + at); at += 2)
            name += static_cast<char16_t>(U16(item + at));
        return WideFromUtf16(name);
    }
    std::wstring name;
    for (size_t at = kShortNameOffset; at < size && item[at]; ++at) name += static_cast<wchar_t>(item[at]);
    return name;
}

}  // namespace

PIDLIST_ABSOLUTE IdListFromDosPath(const std::wstring& dosPath) {
    if (dosPath.size() < 3 || dosPath[1] != L':') return nullptr;
    std::string list = EncodeTargetIdList(dosPath).substr(2);  // without the list's own size
    void* memory = CoTaskMemAlloc(list.size());
    if (!memory) return nullptr;
    memcpy(memory, list.data(), list.size());
    return static_cast<PIDLIST_ABSOLUTE>(memory);
}

bool DosPathFromIdList(PCIDLIST_ABSOLUTE pidl, std::wstring& dosPath) {
    dosPath.clear();
    if (!pidl) return false;
    const BYTE* item = reinterpret_cast<const BYTE*>(pidl);
    for (int index = 0;; ++index) {
        uint16_t size = U16(item);
        if (size == 0) return index >= 2;
        if (size < 3) return false;
        BYTE type = item[2];
        if (index == 0 && type != kRootFolderItem) return false;
        if (index == 1) {
            if (type != kDriveItem || size < 5) return false;
            dosPath.assign(1, static_cast<wchar_t>(item[3]));
            dosPath += L":\\";
        }
        if (index >= 2) {
            if ((type & kFileEntryMask) != kFileEntryItem || size < kShortNameOffset + 2) return false;
            if (dosPath.back() != L'\\') dosPath += L'\\';
            dosPath += NameOfFileEntry(item, size);
        }
        item += size;
    }
}

}  // namespace wincompat

using namespace wincompat;

extern "C" BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path) {
    if (!path) return FALSE;
    path[0] = L'\0';
    std::wstring dosPath;
    if (!DosPathFromIdList(pidl, dosPath) || dosPath.size() >= MAX_PATH) return FALSE;
    dosPath.copy(path, dosPath.size());
    path[dosPath.size()] = L'\0';
    return TRUE;
}

extern "C" void WINAPI ILFree(PIDLIST_ABSOLUTE pidl) { CoTaskMemFree(pidl); }
