// Conversion of string data between wchar_t and UTF-16.
#include "advapi32/RegistryValueData.h"

#include "prefix/RegistryText.h"

#include <string.h>

#include <string>

namespace wincompat {

std::vector<BYTE> StoredValueData(DWORD type, const BYTE* data, DWORD size) {
    if (!data || size == 0) return {};
    if (!IsRegistryStringType(type)) return std::vector<BYTE>(data, data + size);
    std::wstring text(size / sizeof(WCHAR), L'\0');
    memcpy(text.data(), data, text.size() * sizeof(WCHAR));
    return BytesFromUtf16(Utf16FromWide(text));
}

std::vector<BYTE> CallerValueData(DWORD type, const std::vector<BYTE>& stored) {
    if (!IsRegistryStringType(type)) return stored;
    std::wstring text = WideFromUtf16(Utf16FromBytes(stored));
    std::vector<BYTE> bytes(text.size() * sizeof(WCHAR));
    memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

}  // namespace wincompat
