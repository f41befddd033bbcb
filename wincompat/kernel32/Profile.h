// kernel32's section-level profile functions, which winbase.h does not declare yet.
#pragma once

#include <windef.h>

WINCOMPAT_BEGIN_DECLS
DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR returnBuffer, DWORD size, LPCWSTR fileName);
DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR appName, LPWSTR returnedString, DWORD size,
                                       LPCWSTR fileName);
WINCOMPAT_END_DECLS
