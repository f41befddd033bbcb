// LinkInfo: a fixed volume and the local path. The ANSI path is read with the
// reader's code page, so a path beyond ASCII also gets the Unicode path, which
// needs the longer 0x24 header.
#include "shell32/ShellLinkBytes.h"
#include "shell32/ShellLinkFormat.h"
#include "kernel32/CodePage.h"
#include "prefix/RegistryText.h"

#include <algorithm>

namespace wincompat {

namespace {

constexpr DWORD kVolumeIdAndLocalBasePath = 0x1;
constexpr DWORD kDriveFixed = 3;
constexpr DWORD kShortHeaderSize = 0x1C;
constexpr DWORD kUnicodeHeaderSize = 0x24;

bool IsAscii(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

void AppendVolumeId(LinkByteWriter& out, DWORD serial) {
    out.U32(0x11);  // size: 16 bytes of fields and an empty label
    out.U32(kDriveFixed);
    out.U32(serial);
    out.U32(0x10);  // label offset
    out.U8(0);
}

}  // namespace

std::string EncodeLinkInfo(const std::wstring& fullPath) {
    bool withUnicode = !IsAscii(fullPath);
    DWORD headerSize = withUnicode ? kUnicodeHeaderSize : kShortHeaderSize;
    LinkByteWriter out;
    out.Zeros(headerSize);  // fields patched below
    AppendVolumeId(out, DriveSerialNumber(fullPath.substr(0, 2)));
    size_t localBasePath = out.Size();
    out.Bytes(AnsiFromWide(fullPath));
    out.U8(0);
    size_t suffix = out.Size();
    out.U8(0);  // empty common path suffix
    out.PatchU32(0x04, headerSize);
    out.PatchU32(0x08, kVolumeIdAndLocalBasePath);
    out.PatchU32(0x0C, headerSize);  // the volume ID follows the header
    out.PatchU32(0x10, static_cast<uint32_t>(localBasePath));
    out.PatchU32(0x14, 0);  // no network location
    out.PatchU32(0x18, static_cast<uint32_t>(suffix));
    if (withUnicode) {
        out.PadToEven();
        out.PatchU32(0x1C, static_cast<uint32_t>(out.Size()));
        out.Utf16(Utf16FromWide(fullPath));
        out.U16(0);
        out.PatchU32(0x20, static_cast<uint32_t>(out.Size()));
        out.U16(0);  // empty Unicode suffix
    }
    out.PatchU32(0x00, static_cast<uint32_t>(out.Size()));
    return out.Bytes();
}

}  // namespace wincompat
