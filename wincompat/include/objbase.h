// COM initialisation.
#pragma once

#include <windows.h>

#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0

WINCOMPAT_BEGIN_DECLS
HRESULT WINAPI CoInitialize(LPVOID reserved);
HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD coInit);
void WINAPI CoUninitialize(void);
WINCOMPAT_END_DECLS
