// Shell API: command lines.
#pragma once

#include <windows.h>

WINCOMPAT_BEGIN_DECLS
LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR cmdLine, int* numArgs);
WINCOMPAT_END_DECLS
