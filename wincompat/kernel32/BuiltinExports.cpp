#include "kernel32/BuiltinExports.h"

#include <windows.h>

#include "ntdll/RtlVersion.h"

#include <string.h>

namespace wincompat {

namespace {

// Every Windows 10 has these in its system folder.
const char* const kBuiltinModules[] = {
    "kernel32.dll", "kernelbase.dll", "ntdll.dll",    "advapi32.dll", "user32.dll",
    "gdi32.dll",    "shell32.dll",    "shlwapi.dll",  "ole32.dll",    "oleaut32.dll",
    "comctl32.dll", "comdlg32.dll",   "d3d9.dll",     "dbghelp.dll",  "gdiplus.dll",
    "msimg32.dll",  "uxtheme.dll",    "version.dll",  "winmm.dll",    "ws2_32.dll",
    "wininet.dll",  "winhttp.dll",    "crypt32.dll",  "imm32.dll",    "dwmapi.dll",
};

struct Export {
    const char* module;
    const char* name;
    FARPROC address;
};

template <typename Function>
FARPROC Address(Function* function) {
    // Through void(*)(void), the generic function pointer type.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(function));
}

// The exports callers look up at run time instead of linking to them.
const Export kExports[] = {
    {"kernel32.dll", "IsWow64Process", Address(&IsWow64Process)},
    {"kernel32.dll", "GetNativeSystemInfo", Address(&GetNativeSystemInfo)},
    {"kernel32.dll", "GetSystemInfo", Address(&GetSystemInfo)},
    {"kernel32.dll", "GetVersionExW", Address(&GetVersionExW)},
    {"kernel32.dll", "GetModuleHandleW", Address(&GetModuleHandleW)},
    {"kernel32.dll", "LoadLibraryW", Address(&LoadLibraryW)},
    {"kernel32.dll", "LoadLibraryExW", Address(&LoadLibraryExW)},
    {"kernel32.dll", "GetProcAddress", Address(&GetProcAddress)},
    {"kernel32.dll", "FreeLibrary", Address(&FreeLibrary)},
    {"kernel32.dll", "SetDefaultDllDirectories", Address(&SetDefaultDllDirectories)},
    {"ntdll.dll", "RtlGetNtVersionNumbers", Address(&RtlGetNtVersionNumbers)},
    {"advapi32.dll", "AddAccessAllowedAceEx", Address(&AddAccessAllowedAceEx)},
    {"advapi32.dll", "SetSecurityDescriptorControl", Address(&SetSecurityDescriptorControl)},
};

}  // namespace

bool IsBuiltinModule(const std::string& lowerCaseFileName) {
    for (const char* module : kBuiltinModules)
        if (lowerCaseFileName == module) return true;
    return false;
}

FARPROC FindBuiltinExport(const std::string& lowerCaseFileName, const char* exportName) {
    for (const Export& entry : kExports)
        if (lowerCaseFileName == entry.module && strcmp(exportName, entry.name) == 0) return entry.address;
    return nullptr;
}

}  // namespace wincompat
