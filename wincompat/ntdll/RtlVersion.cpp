// The true release, whatever compatibility answer GetVersionExW gives.
#include "ntdll/RtlVersion.h"

#include "prefix/Machine.h"

extern "C" void WINAPI RtlGetNtVersionNumbers(LPDWORD major, LPDWORD minor, LPDWORD build) {
    const wincompat::Machine& machine = wincompat::CurrentMachine();
    if (major) *major = machine.major;
    if (minor) *minor = machine.minor;
    // Release builds carry 0xF in the top nibble.
    if (build) *build = 0xF0000000u | (machine.build & 0xFFFF);
}
