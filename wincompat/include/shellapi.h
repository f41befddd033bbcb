// Shell API: command lines and opening documents, programs and URLs.
#pragma once

#include <windows.h>

// ShellExecuteW answers 32 or less on failure; these are the common ones.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32

WINCOMPAT_BEGIN_DECLS
LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR cmdLine, int* numArgs);

// "open" (or a null verb) of an http/https URL hands it to the desktop's
// default handler; of an existing program file starts it with the parameters.
// Success is a value above 32 (cast the answer to INT_PTR).
HINSTANCE WINAPI ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                               INT showCommand);
WINCOMPAT_END_DECLS
