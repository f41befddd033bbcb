// The ANSI code page (CP_ACP) and conversions between it and wide text.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>

namespace wincompat {

// The machine's code page when set, else the one matching the locale's charset.
UINT AnsiCodePage();

// Conversions that never fail: unmappable text becomes '?' or U+FFFD.
std::string AnsiFromWide(std::wstring_view text, UINT codePage = 0);
std::wstring WideFromAnsi(std::string_view text, UINT codePage = 0);

}  // namespace wincompat
