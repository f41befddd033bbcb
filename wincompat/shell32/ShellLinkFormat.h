// The MS-SHLLINK encoding of a shell link: header, target ID list, link info,
// string data and the terminal block.
#pragma once

#include "shell32/ShellLinkData.h"
#include "shell32/ShellLinkTarget.h"

#include <string>
#include <string_view>

namespace wincompat {

// LinkFlags.
constexpr DWORD kHasLinkTargetIdList = 0x01;
constexpr DWORD kHasLinkInfo = 0x02;
constexpr DWORD kHasName = 0x04;
constexpr DWORD kHasRelativePath = 0x08;
constexpr DWORD kHasWorkingDir = 0x10;
constexpr DWORD kHasArguments = 0x20;
constexpr DWORD kHasIconLocation = 0x40;
constexpr DWORD kIsUnicode = 0x80;

constexpr DWORD kLinkHeaderSize = 0x4C;
constexpr uint16_t kMaxStringDataUnits = 0xFFFF;

// The whole file. The target path is used in its full form (FullDosPath); a
// path without a drive form gets neither ID list nor link info.
std::string EncodeShellLink(const ShellLinkData& link);
// False for bytes that are not a complete link in this format.
bool DecodeShellLink(std::string_view bytes, ShellLinkData& link);

// The parts, for a full drive path such as "C:\dir\file.exe".
std::string EncodeTargetIdList(const std::wstring& fullPath);
std::string EncodeLinkInfo(const std::wstring& fullPath);

// The 8.3 name a file entry item carries next to the long name, in ANSI.
std::string ShortNameFor(const std::wstring& longName);

}  // namespace wincompat
