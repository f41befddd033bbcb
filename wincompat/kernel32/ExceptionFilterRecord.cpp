// Signal numbers and codes to exception codes and parameters, following what
// Windows reports for the same processor fault.
#include "kernel32/ExceptionFilterRecord.h"

#include <string.h>

namespace wincompat {

namespace {

constexpr ULONG_PTR kRead = 0, kWrite = 1, kExecute = 8;
constexpr DWORD kStatusIoDeviceError = 0xC0000185;
// A fault this close to the stack pointer is the stack running into its guard.
constexpr ULONG_PTR kStackOverflowReach = 64 * 1024;

// The page-fault error code: bit 1 a write, bit 4 an instruction fetch.
ULONG_PTR AccessKind(const ucontext_t& context) {
    greg_t error = context.uc_mcontext.gregs[REG_ERR];
    if (error & 0x10) return kExecute;
    return (error & 0x2) ? kWrite : kRead;
}

bool NearStackPointer(ULONG_PTR address, const ucontext_t& context) {
    ULONG_PTR sp = static_cast<ULONG_PTR>(context.uc_mcontext.gregs[REG_RSP]);
    ULONG_PTR distance = address > sp ? address - sp : sp - address;
    return distance < kStackOverflowReach;
}

void FillMemoryFault(const siginfo_t& info, const ucontext_t& context, EXCEPTION_RECORD* record) {
    ULONG_PTR address = reinterpret_cast<ULONG_PTR>(info.si_addr);
    // A general-protection fault (non-canonical address) has no address; Windows reports all ones.
    if (info.si_code == SI_KERNEL) address = ~ULONG_PTR{0};
    record->NumberParameters = 2;
    record->ExceptionInformation[0] = AccessKind(context);
    record->ExceptionInformation[1] = address;
}

DWORD IllegalInstructionCode(int code) {
    return (code == ILL_PRVOPC || code == ILL_PRVREG) ? EXCEPTION_PRIV_INSTRUCTION : EXCEPTION_ILLEGAL_INSTRUCTION;
}

DWORD ArithmeticCode(int code) {
    switch (code) {
    case FPE_INTOVF: return EXCEPTION_INT_OVERFLOW;
    case FPE_FLTDIV: return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    case FPE_FLTOVF: return EXCEPTION_FLT_OVERFLOW;
    case FPE_FLTUND: return EXCEPTION_FLT_UNDERFLOW;
    case FPE_FLTRES: return EXCEPTION_FLT_INEXACT_RESULT;
    case FPE_FLTINV: return EXCEPTION_FLT_INVALID_OPERATION;
    default: return EXCEPTION_INT_DIVIDE_BY_ZERO;
    }
}

}  // namespace

void RecordFromSignal(int signal, const siginfo_t& info, const ucontext_t& context, EXCEPTION_RECORD* record) {
    memset(record, 0, sizeof(*record));
    record->ExceptionAddress = reinterpret_cast<PVOID>(context.uc_mcontext.gregs[REG_RIP]);
    switch (signal) {
    case SIGSEGV:
        FillMemoryFault(info, context, record);
        record->ExceptionCode = NearStackPointer(record->ExceptionInformation[1], context)
                                    ? EXCEPTION_STACK_OVERFLOW
                                    : EXCEPTION_ACCESS_VIOLATION;
        break;
    case SIGBUS:
        FillMemoryFault(info, context, record);
        record->ExceptionCode = EXCEPTION_IN_PAGE_ERROR;
        record->NumberParameters = 3;
        record->ExceptionInformation[2] = kStatusIoDeviceError;
        break;
    case SIGILL: record->ExceptionCode = IllegalInstructionCode(info.si_code); break;
    case SIGFPE: record->ExceptionCode = ArithmeticCode(info.si_code); break;
    default:  // SIGABRT: the program gave up, there is nothing to continue
        record->ExceptionCode = STATUS_FATAL_APP_EXIT;
        record->ExceptionFlags = EXCEPTION_NONCONTINUABLE;
        break;
    }
}

int ExitStatusFor(DWORD exceptionCode) { return static_cast<int>(exceptionCode & 0xFF); }

}  // namespace wincompat
