// Code pages and text conversion.
#pragma once

#include <windef.h>

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400

WINCOMPAT_BEGIN_DECLS
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int multiByte,
                               LPWSTR wideCharStr, int wideChar);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int wideChar,
                               LPSTR multiByteStr, int multiByte, LPCSTR defaultChar,
                               LPBOOL usedDefaultChar);
UINT WINAPI GetACP(void);
WINCOMPAT_END_DECLS
