// The registry keeps text as Windows does, in UTF-16; callers hand over
// wchar_t text (UTF-32 here). These convert between the two.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>
#include <vector>

namespace wincompat {

bool IsRegistryStringType(DWORD type);

// Code points above U+FFFF become surrogate pairs; a pair becomes one code
// point on the way back, a lone surrogate stays as it is.
std::u16string Utf16FromWide(std::wstring_view text);
std::wstring WideFromUtf16(std::u16string_view text);

// UTF-16LE bytes, as value data holds them. An odd last byte is dropped.
std::vector<BYTE> BytesFromUtf16(std::u16string_view text);
std::u16string Utf16FromBytes(const std::vector<BYTE>& bytes);

}  // namespace wincompat
