// Processor and WOW64 answers of the emulated machine.
#include <windows.h>

#include "prefix/Machine.h"

#include <string.h>

namespace {

void FillSystemInfo(LPSYSTEM_INFO info, WORD architecture, bool wide) {
    const wincompat::Machine& machine = wincompat::CurrentMachine();
    memset(info, 0, sizeof(*info));
    info->wProcessorArchitecture = architecture;
    info->dwPageSize = 4096;
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    info->lpMaximumApplicationAddress =
        reinterpret_cast<LPVOID>(wide ? static_cast<uintptr_t>(0x7FFFFFFEFFFFull) : 0x7FFEFFFFu);
    DWORD processors = machine.processors > 32 && !wide ? 32 : machine.processors;
    info->dwActiveProcessorMask = processors >= 64 ? ~DWORD_PTR(0) : (DWORD_PTR(1) << processors) - 1;
    info->dwNumberOfProcessors = processors;
    info->dwAllocationGranularity = 65536;
    switch (architecture) {
    case PROCESSOR_ARCHITECTURE_AMD64: info->dwProcessorType = 8664; break;
    case PROCESSOR_ARCHITECTURE_IA64: info->dwProcessorType = 2200; break;
    case PROCESSOR_ARCHITECTURE_INTEL: info->dwProcessorType = 586; break;
    default: info->dwProcessorType = 0; break;
    }
    info->wProcessorLevel = 6;
}

}  // namespace

extern "C" void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO info) {
    if (!info) return;
    const wincompat::Machine& machine = wincompat::CurrentMachine();
    FillSystemInfo(info, machine.nativeArchitecture, machine.NativeIs64Bit());
}

extern "C" void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
    if (!info) return;
    const wincompat::Machine& machine = wincompat::CurrentMachine();
    FillSystemInfo(info, machine.ProcessArchitecture(), machine.processBits == 64);
}

extern "C" HANDLE WINAPI GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

extern "C" BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64Process) {
    if (!process || !wow64Process) {
        SetLastError(!process ? ERROR_INVALID_HANDLE : ERROR_NOACCESS);
        return FALSE;
    }
    *wow64Process = wincompat::CurrentMachine().RunsUnderWow64() ? TRUE : FALSE;
    return TRUE;
}
