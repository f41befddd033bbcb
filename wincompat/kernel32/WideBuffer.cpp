#include "kernel32/WideBuffer.h"

#include <string.h>
#include <wchar.h>

namespace wincompat {

DWORD CopyPathResult(std::wstring_view text, LPWSTR buffer, DWORD bufferLength) {
    DWORD length = static_cast<DWORD>(text.size());
    if (!buffer || bufferLength <= length) return length + 1;
    wmemcpy(buffer, text.data(), length);
    buffer[length] = L'\0';
    return length;
}

}  // namespace wincompat
