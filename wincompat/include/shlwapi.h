// Shell light-weight path helpers.
#pragma once

#include <windows.h>

WINCOMPAT_BEGIN_DECLS
BOOL WINAPI PathFileExistsW(LPCWSTR path);
WINCOMPAT_END_DECLS
