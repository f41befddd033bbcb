// SystemInfo and MiscInfo: the machine and the process.
#include "dbghelp/DumpStreams.h"

#include "prefix/Machine.h"

#include <cpuid.h>
#include <sched.h>
#include <string.h>
#include <unistd.h>

namespace wincompat {

namespace {

constexpr USHORT kArchitectureAmd64 = 9;
// Readers take the dump for one of a Linux process (it is one) and then find
// the ELF files and their symbols; a Windows platform id would send them
// looking for PE images.
constexpr ULONG32 kPlatformLinux = 0x8201;
constexpr USHORT kSuiteSingleUserTerminalServer = 0x0100;

void FillProcessor(MINIDUMP_SYSTEM_INFO* info) {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx)) {
        info->Cpu.X86CpuInfo.VendorId[0] = ebx;
        info->Cpu.X86CpuInfo.VendorId[1] = edx;
        info->Cpu.X86CpuInfo.VendorId[2] = ecx;
    }
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        info->Cpu.X86CpuInfo.VersionInformation = eax;
        info->Cpu.X86CpuInfo.FeatureInformation = edx;
        unsigned family = (eax >> 8) & 0xF, model = (eax >> 4) & 0xF;
        if (family == 0xF) family += (eax >> 20) & 0xFF;
        if (family >= 6) model |= ((eax >> 16) & 0xF) << 4;
        info->ProcessorLevel = static_cast<USHORT>(family);
        info->ProcessorRevision = static_cast<USHORT>(model << 8 | (eax & 0xF));
    }
    if (__get_cpuid(0x80000001, &eax, &ebx, &ecx, &edx)) info->Cpu.X86CpuInfo.AMDExtendedCpuFeatures = edx;
    cpu_set_t cpus;
    int count = sched_getaffinity(0, sizeof(cpus), &cpus) == 0 ? CPU_COUNT(&cpus) : 1;
    info->NumberOfProcessors = static_cast<UCHAR>(count > 255 ? 255 : count);
}

}  // namespace

MINIDUMP_LOCATION_DESCRIPTOR WriteSystemInfo(DumpFile& file) {
    const Machine& machine = CurrentMachine();
    MINIDUMP_SYSTEM_INFO info;
    memset(&info, 0, sizeof(info));
    info.ProcessorArchitecture = kArchitectureAmd64;  // this process is 64-bit, whatever it tells programs
    info.ProductType = machine.productType;
    info.MajorVersion = machine.major;
    info.MinorVersion = machine.minor;
    info.BuildNumber = machine.build;
    info.PlatformId = kPlatformLinux;
    info.SuiteMask = kSuiteSingleUserTerminalServer;
    FillProcessor(&info);
    RVA location = file.Position();
    file.Append(&info, sizeof(info));
    info.CSDVersionRva = file.AppendString("");
    file.WriteAt(location, &info, sizeof(info));
    return {sizeof(info), location};
}

MINIDUMP_LOCATION_DESCRIPTOR WriteMiscInfo(DumpFile& file) {
    MINIDUMP_MISC_INFO info;
    memset(&info, 0, sizeof(info));
    info.SizeOfInfo = sizeof(info);
    info.Flags1 = MINIDUMP_MISC1_PROCESS_ID;
    info.ProcessId = static_cast<ULONG32>(getpid());
    return file.Append(&info, sizeof(info));
}

}  // namespace wincompat
