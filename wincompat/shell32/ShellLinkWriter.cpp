// The whole .lnk file: header, ID list and link info for a drive path, the
// non-empty strings (empty ones are left out: lnkinfo rejects a zero count),
// the terminal block.
#include "shell32/ShellLinkBytes.h"
#include "shell32/ShellLinkFormat.h"
#include "prefix/Prefix.h"
#include "prefix/RegistryText.h"

namespace wincompat {

namespace {

constexpr uint8_t kShellLinkClsid[] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

struct LinkString {
    DWORD flag;
    const std::wstring* text;
};

// In the order the format gives them.
std::vector<LinkString> Strings(const ShellLinkData& link) {
    return {{kHasName, &link.description},
            {kHasRelativePath, &link.relativePath},
            {kHasWorkingDir, &link.workingDirectory},
            {kHasArguments, &link.arguments},
            {kHasIconLocation, &link.iconPath}};
}

// Empty when the path has no drive form such as "C:\...".
std::wstring DrivePath(const std::wstring& path) {
    std::wstring full;
    if (path.empty() || !FullDosPath(path, full, nullptr)) return std::wstring();
    return full.size() >= 3 && full[1] == L':' && full[2] == L'\\' ? full : std::wstring();
}

DWORD LinkFlags(const ShellLinkData& link, bool hasTarget) {
    DWORD flags = kIsUnicode | (hasTarget ? kHasLinkTargetIdList | kHasLinkInfo : 0);
    for (const LinkString& entry : Strings(link))
        if (!entry.text->empty()) flags |= entry.flag;
    return flags;
}

void AppendHeader(LinkByteWriter& out, const ShellLinkData& link, DWORD flags, const TargetFacts& target) {
    out.U32(kLinkHeaderSize);
    out.Bytes(std::string_view(reinterpret_cast<const char*>(kShellLinkClsid), sizeof(kShellLinkClsid)));
    out.U32(flags);
    out.U32(target.attributes);
    out.FileTime(target.creation);
    out.FileTime(target.access);
    out.FileTime(target.write);
    out.U32(static_cast<uint32_t>(target.size));  // the low 32 bits, as the format keeps it
    out.U32(static_cast<uint32_t>(link.iconIndex));
    out.U32(static_cast<uint32_t>(link.showCommand));
    out.U16(link.hotkey);
    out.Zeros(2 + 4 + 4);
}

void AppendStrings(LinkByteWriter& out, const ShellLinkData& link) {
    for (const LinkString& entry : Strings(link)) {
        if (entry.text->empty()) continue;
        std::u16string units = Utf16FromWide(*entry.text);
        out.U16(static_cast<uint16_t>(units.size()));
        out.Utf16(units);
    }
}

}  // namespace

std::string EncodeShellLink(const ShellLinkData& link) {
    std::wstring target = DrivePath(link.path);
    LinkByteWriter out;
    AppendHeader(out, link, LinkFlags(link, !target.empty()), target.empty() ? TargetFacts() : ReadTargetFacts(target));
    if (!target.empty()) {
        out.Bytes(EncodeTargetIdList(target));
        out.Bytes(EncodeLinkInfo(target));
    }
    AppendStrings(out, link);
    out.U32(0);  // terminal block
    return out.Bytes();
}

}  // namespace wincompat
