// Value types and data as reg.exe spells them on its command line and in
// its output.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace regtool {

// REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_NONE.
bool TypeFromName(const std::wstring& name, DWORD& type);
std::wstring TypeName(DWORD type);

// The bytes RegSetValueExW takes for /d text: strings with their terminator
// (REG_MULTI_SZ split at the separator), numbers in decimal or 0x-hex,
// binary as hex digits. False for text the type cannot hold.
bool ParseValueData(DWORD type, const std::wstring& text, const std::wstring& separator,
                    std::vector<BYTE>& bytes);

// The data of a value as reg.exe shows it: text, 0x-hex numbers, hex digits;
// the strings of REG_MULTI_SZ joined by \0.
std::wstring FormatValueData(DWORD type, const std::vector<BYTE>& bytes);

}  // namespace regtool
