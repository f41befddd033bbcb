// GetVersionExW as Windows answers a program without a compatibility manifest:
// releases after Windows 8 are reported as 6.2.9200.
#include <windows.h>

#include "prefix/Machine.h"

#include <stdio.h>
#include <string.h>

extern "C" BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const wincompat::Machine& machine = wincompat::CurrentMachine();
    bool shimmed = machine.major > 6 || (machine.major == 6 && machine.minor >= 2);
    info->dwMajorVersion = shimmed ? 6 : machine.major;
    info->dwMinorVersion = shimmed ? 2 : machine.minor;
    info->dwBuildNumber = shimmed ? 9200 : machine.build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
    WORD servicePack = shimmed ? 0 : machine.servicePackMajor;
    if (servicePack) swprintf(info->szCSDVersion, 128, L"Service Pack %u", servicePack);
    if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
        auto* extended = reinterpret_cast<LPOSVERSIONINFOEXW>(info);
        extended->wServicePackMajor = servicePack;
        extended->wServicePackMinor = shimmed ? 0 : machine.servicePackMinor;
        extended->wSuiteMask = 0x100;  // VER_SUITE_SINGLEUSERTS, as a desktop edition reports
        extended->wProductType = machine.productType;
        extended->wReserved = 0;
    }
    return TRUE;
}
