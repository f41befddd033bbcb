// kernel32: the process heap.
#pragma once

#include <windef.h>
#include <winnt.h>

WINCOMPAT_BEGIN_DECLS

HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID memory);

WINCOMPAT_END_DECLS
