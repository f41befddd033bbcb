// Which Windows release this is, whether the processor is 64-bit, and where
// the program-files folder is.
#pragma once

#include <stdint.h>

#include <string>

enum OsCode : int32_t {
    OsUnknown = 0,
    OsWindowsXp = 1,
    OsWindows2003 = 2,
    OsWindowsVista = 3,
    OsWindowsServer2008 = 4,
    OsWindows7 = 5,
    OsWindows8 = 6,
    OsWindows10 = 7,
    OsNewerThan10 = 8,
};

struct OsVersionInfo {
    int32_t osCode = OsUnknown;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t servicePackMajor = 0;
    uint32_t servicePackMinor = 0;
    uint32_t processorArchitecture = 3;  // 0 x86, 1 x64, 2 Itanium, 3 other
    uint32_t processorCount = 0;
    uint32_t allocationGranularity = 0;
    uint32_t wow64State = 0;  // 0 not under WOW64 (or no IsWow64Process), 1 under WOW64, 2 the query failed
};

// The os code for a release; the product type matters only for major version 6.
int32_t OsCodeFor(uint32_t major, uint32_t minor, uint8_t productType);

// Built on the first call, by whichever thread comes first, then shared.
const OsVersionInfo& GetOsVersionInfo();

// For example "window-10_64": the release's label and the native bitness.
std::wstring GetOsLabel();

// The 32-bit program-files folder under WOW64, the only one otherwise; empty if unknown.
std::wstring GetProgramFilesFolder();
