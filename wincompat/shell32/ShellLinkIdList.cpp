// LinkTargetIDList: My Computer, the drive, then one file entry item per path
// element. Items carry a version 3 extension block (0xBEEF0004) with the long
// name: newer versions, or the Unicode item types, make Wine drop the list.
#include "shell32/ShellLinkBytes.h"
#include "shell32/ShellLinkFormat.h"
#include "prefix/RegistryText.h"

#include <vector>

namespace wincompat {

namespace {

constexpr uint8_t kMyComputerItem[] = {0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
                                       0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr uint8_t kFolderItem = 0x31;
constexpr uint8_t kFileItem = 0x32;
constexpr size_t kDriveItemSize = 0x19;

void AppendDriveItem(LinkByteWriter& out, const std::wstring& drive) {
    out.U16(kDriveItemSize);
    out.U8(0x2F);
    out.Bytes(std::string(drive.begin(), drive.end()) + "\\");
    out.Zeros(kDriveItemSize - 3 - drive.size() - 1);
}

void AppendExtensionBlock(LinkByteWriter& item, const std::wstring& name, const TargetFacts& facts) {
    size_t start = item.Size();
    FatDateTime created = FatFromFileTime(facts.creation);
    FatDateTime accessed = FatFromFileTime(facts.access);
    item.U16(0);  // size, patched below
    item.U16(3);  // version
    item.U32(0xBEEF0004);
    item.U16(created.date), item.U16(created.time);
    item.U16(accessed.date), item.U16(accessed.time);
    item.U16(0x0014);
    item.U16(0);  // no localised name
    item.Utf16(Utf16FromWide(name));
    item.U16(0);
    item.U16(static_cast<uint16_t>(start));  // where the block starts inside the item
    item.PatchU16(start, static_cast<uint16_t>(item.Size() - start));
}

std::string FileEntryItem(const std::wstring& name, const TargetFacts& facts, bool last) {
    bool folder = facts.exists ? facts.folder : !last;
    FatDateTime written = FatFromFileTime(facts.write);
    LinkByteWriter item;
    item.U16(0);  // size, patched below
    item.U8(folder ? kFolderItem : kFileItem);
    item.U8(0);
    item.U32(folder ? 0 : static_cast<uint32_t>(facts.size));
    item.U16(written.date), item.U16(written.time);
    item.U16(static_cast<uint16_t>(folder && !facts.exists ? FILE_ATTRIBUTE_DIRECTORY : facts.attributes));
    item.Bytes(ShortNameFor(name));
    item.U8(0);
    item.PadToEven();
    AppendExtensionBlock(item, name, facts);
    item.PatchU16(0, static_cast<uint16_t>(item.Size()));
    return item.Bytes();
}

std::vector<std::wstring> PathElements(const std::wstring& fullPath) {
    std::vector<std::wstring> elements;
    size_t start = 3;  // after "C:\"
    while (start < fullPath.size()) {
        size_t end = fullPath.find(L'\\', start);
        if (end == std::wstring::npos) end = fullPath.size();
        if (end > start) elements.push_back(fullPath.substr(start, end - start));
        start = end + 1;
    }
    return elements;
}

}  // namespace

std::string EncodeTargetIdList(const std::wstring& fullPath) {
    LinkByteWriter list;
    list.U16(0);  // size, patched below
    list.Bytes(std::string_view(reinterpret_cast<const char*>(kMyComputerItem), sizeof(kMyComputerItem)));
    AppendDriveItem(list, fullPath.substr(0, 2));
    std::vector<std::wstring> elements = PathElements(fullPath);
    std::wstring walked = fullPath.substr(0, 2);
    for (size_t i = 0; i < elements.size(); ++i) {
        walked += L"\\" + elements[i];
        list.Bytes(FileEntryItem(elements[i], ReadTargetFacts(walked), i + 1 == elements.size()));
    }
    list.U16(0);  // terminal item
    list.PatchU16(0, static_cast<uint16_t>(list.Size() - 2));
    return list.Bytes();
}

}  // namespace wincompat
