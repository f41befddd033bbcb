// Reads back the links this layer writes (and others of the same shape): the
// header's settings, the link info's local path, the string data.
#include "shell32/ShellLinkBytes.h"
#include "shell32/ShellLinkFormat.h"
#include "kernel32/CodePage.h"
#include "prefix/RegistryText.h"

namespace wincompat {

namespace {

constexpr DWORD kUnicodeHeaderSize = 0x24;

std::wstring LocalBasePath(std::string_view bytes, size_t start) {
    LinkByteReader info(bytes, start);
    info.Skip(4);
    DWORD headerSize = info.U32();
    info.Skip(8);
    DWORD localBasePath = info.U32();
    info.Skip(8);
    DWORD localBasePathUnicode = headerSize >= kUnicodeHeaderSize ? info.U32() : 0;
    if (!info.Ok()) return std::wstring();
    if (localBasePathUnicode) {
        LinkByteReader path(bytes, start + localBasePathUnicode);
        return WideFromUtf16(path.Utf16UntilNul());
    }
    LinkByteReader path(bytes, start + localBasePath);
    return localBasePath ? WideFromAnsi(path.AnsiUntilNul()) : std::wstring();
}

// The settings at fixed offsets of the 0x4C-byte header.
void ReadHeader(std::string_view bytes, ShellLinkData& link) {
    LinkByteReader in(bytes, 0x38);
    link.iconIndex = static_cast<int>(in.U32());
    link.showCommand = static_cast<int>(in.U32());
    link.hotkey = in.U16();
}

std::wstring ReadString(LinkByteReader& in, bool unicode) {
    uint16_t count = in.U16();
    return unicode ? WideFromUtf16(in.Utf16(count)) : WideFromAnsi(in.Raw(count));
}

}  // namespace

bool DecodeShellLink(std::string_view bytes, ShellLinkData& link) {
    LinkByteReader header(bytes);
    if (header.U32() != kLinkHeaderSize || bytes.size() < kLinkHeaderSize) return false;
    header.Skip(16);  // class identifier
    DWORD flags = header.U32();
    ShellLinkData read;
    ReadHeader(bytes, read);
    LinkByteReader in(bytes, kLinkHeaderSize);
    if (flags & kHasLinkTargetIdList) in.Skip(in.U16());
    if (flags & kHasLinkInfo) {
        size_t start = in.Offset();
        uint32_t size = in.U32();
        if (!in.Ok() || size < 4) return false;
        read.path = LocalBasePath(bytes, start);
        in.Skip(size - 4);
    }
    std::wstring* strings[] = {&read.description, &read.relativePath, &read.workingDirectory, &read.arguments,
                               &read.iconPath};
    DWORD stringFlags[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation};
    for (int i = 0; i < 5; ++i)
        if (flags & stringFlags[i]) *strings[i] = ReadString(in, flags & kIsUnicode);
    if (!in.Ok()) return false;
    link = read;
    return true;
}

}  // namespace wincompat
