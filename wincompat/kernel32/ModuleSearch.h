// Where LoadLibraryExW looks for a library named without a folder: the
// Windows search order (known DLLs, the program's folder, the system folder),
// narrowed by LOAD_LIBRARY_SEARCH_* flags or SetDefaultDllDirectories.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace wincompat {

// C:\windows\syswow64 for a 32-bit process under WOW64, else system32.
std::wstring SystemFolder();

// Sets the process-wide search used when a call passes no search flags.
// False for flags Windows rejects.
bool SetDefaultSearchFlags(DWORD flags);

// Resolves a bare library name. True when it can be loaded: unixPath is then
// the shared object to map, or empty for a built-in system module.
bool SearchLibrary(std::wstring_view requested, const std::string& lowerCaseName, DWORD flags, std::string& unixPath);

}  // namespace wincompat
