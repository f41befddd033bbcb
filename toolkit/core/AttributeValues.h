// Reading skin attribute values: numbers, "l,t,r,b" rectangles, "w,h"
// sizes, "#AARRGGBB" colours, booleans and  name="value"  lists.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace DuiLib {

int ParseInt(LPCWSTR value);       // 0 when not a number
bool ParseBool(LPCWSTR value);     // "true" (any case) or a non-zero number
RECT ParseRect(LPCWSTR value);     // missing parts are 0
SIZE ParseSize(LPCWSTR value);     // missing parts are 0
DWORD ParseColor(LPCWSTR value);   // "#RRGGBB" is opaque; 0 when unreadable
// name="value" or name='value' pairs separated by blanks, in order.
std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(LPCWSTR list);

}  // namespace DuiLib
