// Value data between callers and the store. Callers hand over and receive
// string types as wchar_t text (sizes counted per WCHAR); the store keeps
// them in UTF-16, as Windows does. Other types pass through as bytes.
#pragma once

#include <windows.h>

#include <vector>

namespace wincompat {

std::vector<BYTE> StoredValueData(DWORD type, const BYTE* data, DWORD size);
std::vector<BYTE> CallerValueData(DWORD type, const std::vector<BYTE>& stored);

}  // namespace wincompat
