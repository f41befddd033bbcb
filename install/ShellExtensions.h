// Unregistering the product's shell-extension libraries before the payload is
// written and registering them afterwards, through the system's regsvr32.
#pragma once

#include "app/ProductPaths.h"  // ShellExtensionLibraries

#include <string>


// For each library present in the install folder: unregister it, then delete
// it or rename it in place. Always true.
bool UnregisterShellExtensions(const std::wstring& installFolder);

// For each library present: unregister, then register. Always true.
bool RegisterShellExtensions(const std::wstring& installFolder);

// Run the system's regsvr32 by its full path ("C:\Windows\SysWOW64\regsvr32.exe"
// on 64-bit Windows, the system folder's otherwise) with "/s /u \"path\"" or
// "/s \"path\"", hidden, and wait for it (at most 30 s), so each step ends
// before the next begins. A failed start, a timeout or a non-zero exit code
// writes one diagnostic line to standard output. The result is always 1.
int UnregisterDll(const std::wstring& libraryPath);
int RegisterDll(const std::wstring& libraryPath);

// The quoted full path of the system's regsvr32, as the commands start with it.
std::wstring Regsvr32Command();
