// Reading and writing a link file through the file API, so that share modes
// and path rules apply as to any other file.
#pragma once

#include <windows.h>

#include <string>

namespace wincompat {

// Creates or overwrites the file. HRESULT_FROM_WIN32 of the failing call's error.
HRESULT WriteLinkFile(LPCWSTR path, const std::string& bytes);
// The whole file; E_FAIL for one too large to be a link.
HRESULT ReadLinkFile(LPCWSTR path, std::string& bytes);

}  // namespace wincompat
