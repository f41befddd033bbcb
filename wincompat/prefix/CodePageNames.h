// Windows code pages by the names iconv knows them under.
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

std::string IconvNameOfCodePage(UINT codePage);

// Whether text in the code page can be converted on this host.
bool CodePageConverts(UINT codePage);

}  // namespace wincompat
