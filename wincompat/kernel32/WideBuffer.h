// Copying a result into a caller's character buffer by the usual kernel32
// rule: the length without terminator when it fits, else the size needed.
#pragma once

#include <windef.h>

#include <string_view>

namespace wincompat {

DWORD CopyPathResult(std::wstring_view text, LPWSTR buffer, DWORD bufferLength);

}  // namespace wincompat
