// Conversions between wide text and narrow text in the system code page
// (CP_ACP), for the places where a library or the wire wants narrow text.
#pragma once

#include <string>

std::string AnsiFromWide(const std::wstring& text);
std::wstring WideFromAnsi(const std::string& text);
