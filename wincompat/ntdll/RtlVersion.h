// ntdll's version numbers, which the Windows SDK does not declare.
#pragma once

#include <windef.h>

WINCOMPAT_EXTERN_C void WINAPI RtlGetNtVersionNumbers(LPDWORD major, LPDWORD minor, LPDWORD build);
