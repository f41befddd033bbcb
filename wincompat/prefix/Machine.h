// The emulated machine: which Windows release, product type, processor and
// process bitness the layer answers with, and the ANSI code page.
//
// Defaults: 64-bit Windows 10 (10.0.19045, workstation, AMD64) running this
// process as a 32-bit program under WOW64. The [Machine] section of the
// prefix's wincompat.ini and then the environment may override each field:
//   Version / WINCOMPAT_VERSION           e.g. 6.1.7601
//   ProductType / WINCOMPAT_PRODUCT_TYPE  workstation | server | domaincontroller
//   ServicePack / WINCOMPAT_SERVICE_PACK  e.g. 1.0
//   NativeArch / WINCOMPAT_NATIVE_ARCH    x86 | amd64 | ia64 | arm64 | a number
//   ProcessBits / WINCOMPAT_PROCESS_BITS  32 | 64
//   CodePage / WINCOMPAT_CODEPAGE         an ANSI code page such as 936 or 1252;
//                                         unset: the locale's charset
//   Processors / WINCOMPAT_PROCESSORS     processor count (default: the host's)
// A value that cannot be used (an unknown code page, a version with junk, a
// misspelt key in the file) is named on standard error with where it came
// from, and the default stays.
// WINCOMPAT_MISSING lists built-in modules or exports that should look absent,
// separated by commas: "d3d9.dll,kernel32.dll!IsWow64Process".
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

struct Machine {
    DWORD major = 10;
    DWORD minor = 0;
    DWORD build = 19045;
    WORD servicePackMajor = 0;
    WORD servicePackMinor = 0;
    BYTE productType = 1;           // VER_NT_WORKSTATION
    WORD nativeArchitecture = 9;    // PROCESSOR_ARCHITECTURE_AMD64
    int processBits = 32;
    UINT codePage = 0;              // 0: the locale's charset
    DWORD processors = 0;
    std::string missing;            // WINCOMPAT_MISSING

    bool NativeIs64Bit() const;
    bool RunsUnderWow64() const;
    // The architecture a process of processBits sees in GetSystemInfo.
    WORD ProcessArchitecture() const;
    bool IsMissing(const std::string& module, const char* exportName = nullptr) const;
};

// Read once per process.
const Machine& CurrentMachine();

}  // namespace wincompat
