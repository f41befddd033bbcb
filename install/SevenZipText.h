// Text crossing into and out of the archive library. The library works in
// UTF-16 code units even where WCHAR is 4 bytes wide, so characters outside
// the BMP travel as surrogate pairs, one per WCHAR.
#pragma once

#include "install/SevenZipLibrary.h"

#include <string>

namespace sevenzip {

// The library's text as our wide text (pairs joined into one character).
std::wstring WideFromLibraryText(const WCHAR* text);

// A new string of the library's own allocation; null when that fails.
BSTR AllocLibraryString(const Library& library, const std::wstring& text);

}  // namespace sevenzip
