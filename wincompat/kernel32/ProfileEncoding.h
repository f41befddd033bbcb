// How a profile (INI) file's bytes are turned into wide text and back.
// The encoding is chosen by the byte-order mark, as Windows chooses it: a
// file without one is ANSI in the process code page.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>

namespace wincompat {

enum class ProfileEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// The encoding of a file's bytes and the length of its byte-order mark.
ProfileEncoding DetectProfileEncoding(std::string_view bytes, size_t* markLength);

std::string_view ByteOrderMark(ProfileEncoding encoding);

// Bytes per code unit: the line feed is one such unit.
size_t CodeUnitSize(ProfileEncoding encoding);

// Converts the body (the bytes after the mark). Never fails: invalid bytes
// become U+FFFD, each line feed of the body becomes exactly one L'\n'.
std::wstring DecodeProfileText(std::string_view body, ProfileEncoding encoding, UINT codePage);

// Characters the encoding cannot hold become the code page's default character.
std::string EncodeProfileText(std::wstring_view text, ProfileEncoding encoding, UINT codePage);

}  // namespace wincompat
