// Unregistering the product's shell-extension libraries before the payload is
// written and registering them afterwards, through the system's regsvr32.
#pragma once

#include <string>

// The product's shell-extension libraries, in the order they are handled.
extern const wchar_t* const ShellExtensionLibraries[2];

// For each library present in the install folder: unregister it, then delete
// it or rename it in place. Always true.
bool UnregisterShellExtensions(const std::wstring& installFolder);

// For each library present: unregister, wait 50 ms, register. Always true.
bool RegisterShellExtensions(const std::wstring& installFolder);

// Start "regsvr32 /s /u \"path\"" or "regsvr32 /s \"path\"" hidden, without
// waiting; the result is always 1.
int UnregisterDll(const std::wstring& libraryPath);
int RegisterDll(const std::wstring& libraryPath);
