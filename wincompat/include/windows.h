// The Windows API subset this layer provides.
#pragma once

#include <windef.h>
#include <winerror.h>
#include <winnt.h>
#include <winbase.h>
#include <synchapi.h>
#include <winnls.h>
#include <winreg.h>
#include <wingdi.h>
#include <winuser.h>

// The entry point a Windows program defines; the layer's main() calls it.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE prevInstance, LPWSTR cmdLine, int showCmd);
