// What regsvr32 records for a library: since our libraries are not loaded
// (no DllRegisterServer runs), it writes the class registration such a
// library's DllRegisterServer would:
//   HKCR\CLSID\{id}                  @ = the library's file name
//   HKCR\CLSID\{id}\InprocServer32   @ = its full path, ThreadingModel = "Apartment"
// The id is a name-based GUID (RFC 4122 version 5) of the upper-cased full
// path, so the same library always gets the same id. The key goes to the
// 32-bit view for a 32-bit (i386 PE) library and to the 64-bit view for
// everything else, as the 32- and 64-bit regsvr32 of Windows would write it.
#pragma once

#include <windef.h>

#include <string>

namespace regsvr32 {

std::wstring ClassIdForLibrary(const std::wstring& fullPath);

// True for a PE image whose machine is i386.
bool IsLibrary32Bit(const std::wstring& fullPath);

// Registry error codes (ERROR_SUCCESS when done). Unregistering a library
// that is not registered succeeds.
LONG RegisterLibrary(const std::wstring& fullPath);
LONG UnregisterLibrary(const std::wstring& fullPath);

}  // namespace regsvr32
