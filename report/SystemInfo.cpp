#include "report/SystemInfo.h"

#include <windows.h>
#include <shlobj.h>

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);
using RtlGetNtVersionNumbersFunction = void(WINAPI*)(LPDWORD, LPDWORD, LPDWORD);

template <typename Function>
Function Kernel32Export(const char* name) {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(GetProcAddress(kernel32, name)))
                    : nullptr;
}

uint32_t QueryWow64State() {
    auto isWow64Process = Kernel32Export<IsWow64ProcessFunction>("IsWow64Process");
    if (!isWow64Process) return 0;
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64)) return 2;
    return wow64 ? 1 : 0;
}

bool RunsUnderWow64() {
    auto isWow64Process = Kernel32Export<IsWow64ProcessFunction>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The true version from ntdll overrides the compatibility answer of GetVersionExW.
void ReadNtVersion(DWORD& major, DWORD& minor, DWORD& build) {
    HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
    if (!ntdll) return;
    auto rtlGetNtVersionNumbers = reinterpret_cast<RtlGetNtVersionNumbersFunction>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (rtlGetNtVersionNumbers) {
        rtlGetNtVersionNumbers(&major, &minor, &build);
        build &= 0xFFFF;
    }
    FreeLibrary(ntdll);
}

uint32_t ArchitectureCode(WORD architecture) {
    switch (architecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return 0;
    case PROCESSOR_ARCHITECTURE_AMD64: return 1;
    case PROCESSOR_ARCHITECTURE_IA64: return 2;
    default: return 3;
    }
}

OsVersionInfo* BuildOsVersionInfo() {
    auto* info = new OsVersionInfo;
    info->wow64State = QueryWow64State();
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version));
    DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion, build = version.dwBuildNumber;
    ReadNtVersion(major, minor, build);
    info->majorVersion = major;
    info->minorVersion = minor;
    info->buildNumber = build;
    info->osCode = OsCodeFor(major, minor, version.wProductType);
    info->servicePackMajor = version.wServicePackMajor;
    info->servicePackMinor = version.wServicePackMinor;
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    info->processorArchitecture = ArchitectureCode(system.wProcessorArchitecture);
    info->processorCount = system.dwNumberOfProcessors;
    info->allocationGranularity = system.dwAllocationGranularity;
    return info;
}

const wchar_t* LabelName(int32_t osCode) {
    static const wchar_t* const kNames[] = {L"Unknow",   L"window-xp",          L"window-2003",
                                            L"window-vista", L"window-server-2008", L"window-7",
                                            L"window-8", L"window-10"};
    return osCode >= OsWindowsXp && osCode <= OsWindows10 ? kNames[osCode] : kNames[OsUnknown];
}

}  // namespace

int32_t OsCodeFor(uint32_t major, uint32_t minor, uint8_t productType) {
    bool workstation = productType == VER_NT_WORKSTATION;
    if (major == 5 && minor == 1) return OsWindowsXp;
    if (major == 5 && minor >= 2) return OsWindows2003;
    if (major == 6 && !workstation) return OsWindowsServer2008;
    if (major == 6 && minor == 0) return OsWindowsVista;
    if (major == 6 && minor == 1) return OsWindows7;
    if (major == 6) return OsWindows8;
    if (major == 10) return OsWindows10;
    if (major > 10) return OsNewerThan10;
    return OsUnknown;
}

const OsVersionInfo& GetOsVersionInfo() {
    static OsVersionInfo* volatile shared = nullptr;
    if (OsVersionInfo* published = shared) return *published;
    // Racing threads each build a record; the first to publish wins.
    OsVersionInfo* mine = BuildOsVersionInfo();
    void* previous = InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&shared), mine, nullptr);
    if (previous) {
        delete mine;
        return *static_cast<OsVersionInfo*>(previous);
    }
    return *mine;
}

std::wstring GetOsLabel() {
    std::wstring label = LabelName(GetOsVersionInfo().osCode);
    SYSTEM_INFO system = {};
    auto getNativeSystemInfo = Kernel32Export<GetNativeSystemInfoFunction>("GetNativeSystemInfo");
    if (getNativeSystemInfo) getNativeSystemInfo(&system);
    else GetSystemInfo(&system);
    bool wide = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
    return label + (wide ? L"_64" : L"_32");
}

std::wstring GetProgramFilesFolder() {
    WCHAR folder[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, RunsUnderWow64() ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES, FALSE);
    return folder;
}
