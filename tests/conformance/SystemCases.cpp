// The machine and the process: version numbers, processor information,
// system modules and their exports, memory, interlocked operations, the last
// error, clocks.
#include "Harness.h"

#include <atomic>
#include <thread>

using namespace conformance;

namespace {

typedef void(WINAPI* RtlGetNtVersionNumbersProc)(DWORD*, DWORD*, DWORD*);

}  // namespace

// Without a manifest a program is told 6.2.9200 on Windows 10; ntdll tells the truth.
CONFORMANCE_CASE(System, VersionNumbers) {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    CHECK(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)));
    CHECK_EQ(version.dwMajorVersion, 6u);
    CHECK_EQ(version.dwMinorVersion, 2u);
    CHECK_EQ(version.dwBuildNumber, 9200u);
    CHECK_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    version.dwOSVersionInfoSize = sizeof(version);
    CHECK(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)));
    CHECK_EQ(version.wProductType, VER_NT_WORKSTATION);

    auto numbers = reinterpret_cast<RtlGetNtVersionNumbersProc>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetNtVersionNumbers")));
    REQUIRE(numbers != nullptr);
    DWORD major = 0, minor = 0, build = 0;
    numbers(&major, &minor, &build);
    CHECK_EQ(major, 10u);
    CHECK_EQ(minor, 0u);
    CHECK_EQ(build & 0xF0000000u, 0xF0000000u);
    CHECK((build & 0xFFFF) >= 10240);
}

// A 32-bit program under WOW64 sees an x86 processor; the native call tells of AMD64.
CONFORMANCE_CASE(System, ProcessorInformation) {
    SYSTEM_INFO own = {}, native = {};
    GetSystemInfo(&own);
    GetNativeSystemInfo(&native);
    CHECK_EQ(native.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
    CHECK_EQ(own.wProcessorArchitecture,
             ProgramBits() == 32 ? PROCESSOR_ARCHITECTURE_INTEL : PROCESSOR_ARCHITECTURE_AMD64);
    CHECK(own.dwNumberOfProcessors >= 1);
    CHECK_EQ(own.dwNumberOfProcessors, native.dwNumberOfProcessors);
    CHECK_EQ(own.dwPageSize, 4096u);
    CHECK_EQ(own.dwAllocationGranularity, 65536u);
}

// System modules are there without a file of their own; names ignore case.
CONFORMANCE_CASE(System, ModulesAndExports) {
    HMODULE kernel32 = GetModuleHandleW(L"KERNEL32.DLL");
    REQUIRE(kernel32 != nullptr);
    CHECK_EQ(GetModuleHandleW(L"kernel32"), kernel32);
    CHECK(GetModuleHandleW(nullptr) != nullptr);
    struct Row {
        const wchar_t* module;
        const char* exportName;
    } rows[] = {
        {L"kernel32.dll", "IsWow64Process"},
        {L"kernel32.dll", "GetNativeSystemInfo"},
        {L"advapi32.dll", "AddAccessAllowedAceEx"},
        {L"advapi32.dll", "SetSecurityDescriptorControl"},
        {L"ntdll.dll", "RtlGetNtVersionNumbers"},
    };
    for (const Row& row : rows) {
        HMODULE module = LoadLibraryW(row.module);
        REQUIRE(module != nullptr);
        CHECK(GetProcAddress(module, row.exportName) != nullptr);
        CHECK(FreeLibrary(module));
    }
    CHECK(GetProcAddress(kernel32, "NoSuchFunctionAnywhere") == nullptr);
    CHECK_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    CHECK(LoadLibraryW(L"no-such-library.dll") == nullptr);
    CHECK_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    CHECK(GetModuleHandleW(L"no-such-library.dll") == nullptr);
    CHECK_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

CONFORMANCE_CASE(System, HeapAndLocalMemory) {
    HANDLE heap = GetProcessHeap();
    REQUIRE(heap != nullptr);
    auto* zeroed = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 100));
    REQUIRE(zeroed != nullptr);
    bool allZero = true;
    for (int i = 0; i < 100; ++i) allZero = allZero && zeroed[i] == 0;
    CHECK(allZero);
    CHECK(HeapFree(heap, 0, zeroed));
    CHECK(HeapFree(heap, 0, nullptr));
    auto* local = static_cast<unsigned char*>(LocalAlloc(LPTR, 16));
    REQUIRE(local != nullptr);
    CHECK_EQ(local[15], 0);
    CHECK(LocalFree(local) == nullptr);
}

CONFORMANCE_CASE(System, InterlockedOperations) {
    volatile LONG value = 5;
    CHECK_EQ(InterlockedIncrement(&value), 6);
    CHECK_EQ(InterlockedDecrement(&value), 5);
    CHECK_EQ(InterlockedCompareExchange(&value, 9, 4), 5);  // no match: unchanged
    CHECK_EQ(value, 5);
    CHECK_EQ(InterlockedCompareExchange(&value, 9, 5), 5);
    CHECK_EQ(value, 9);
    int a = 0, b = 0;
    void* volatile pointer = &a;
    CHECK_EQ(InterlockedCompareExchangePointer(&pointer, &b, &a), static_cast<void*>(&a));
    CHECK_EQ(pointer, static_cast<void*>(&b));
}

// Each thread has its own last error.
CONFORMANCE_CASE(System, LastErrorPerThread) {
    std::atomic<DWORD> seen{0};
    std::thread other([&] {
        SetLastError(ERROR_FILE_NOT_FOUND);
        seen = GetLastError();
    });
    SetLastError(ERROR_ACCESS_DENIED);
    // Read before the join: ending a thread may set this thread's error.
    while (seen == 0) Sleep(1);
    DWORD own = GetLastError();
    other.join();
    CHECK_EQ(seen.load(), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(own, ERROR_ACCESS_DENIED);
}

CONFORMANCE_CASE(System, Clocks) {
    DWORD before = GetTickCount();
    Sleep(60);
    DWORD elapsed = GetTickCount() - before;
    CHECK(elapsed >= 40 && elapsed < 2000);
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    GetLocalTime(&local);
    CHECK(utc.wYear >= 2024);
    CHECK(utc.wMonth >= 1 && utc.wMonth <= 12 && utc.wDayOfWeek <= 6);
    CHECK(local.wYear - utc.wYear <= 1 && utc.wYear - local.wYear <= 1);
}
