// Exception: which thread faulted, the exception record and its registers.
// In a dump of a Linux process (the platform SystemInfo names) readers take
// the code for a signal number, and lldb stalls on an NTSTATUS there; so the
// code is the signal the exception came from, and the address for a memory
// fault is the faulting data address, as si_addr would be. Flags and
// parameters stay Windows': the parameters still tell read from write.
#include "dbghelp/DumpStreams.h"

#include <signal.h>
#include <string.h>

namespace wincompat {

namespace {

ULONG32 SignalFor(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_STACK_OVERFLOW: return SIGSEGV;
    case EXCEPTION_IN_PAGE_ERROR: return SIGBUS;
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION: return SIGILL;
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW: return SIGFPE;
    default: return SIGABRT;  // STATUS_FATAL_APP_EXIT and anything raised by the program
    }
}

bool IsMemoryFault(DWORD code) {
    return code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_STACK_OVERFLOW || code == EXCEPTION_IN_PAGE_ERROR;
}

}  // namespace

MINIDUMP_LOCATION_DESCRIPTOR WriteException(DumpFile& file, DWORD threadId, const EXCEPTION_RECORD& record,
                                            MINIDUMP_LOCATION_DESCRIPTOR context) {
    MINIDUMP_EXCEPTION_STREAM stream;
    memset(&stream, 0, sizeof(stream));
    stream.ThreadId = threadId;
    MINIDUMP_EXCEPTION& exception = stream.ExceptionRecord;
    exception.ExceptionCode = SignalFor(record.ExceptionCode);
    exception.ExceptionFlags = record.ExceptionFlags;
    exception.ExceptionAddress = IsMemoryFault(record.ExceptionCode) && record.NumberParameters >= 2
                                     ? record.ExceptionInformation[1]
                                     : reinterpret_cast<ULONG64>(record.ExceptionAddress);
    exception.NumberParameters = record.NumberParameters > EXCEPTION_MAXIMUM_PARAMETERS ? EXCEPTION_MAXIMUM_PARAMETERS
                                                                                         : record.NumberParameters;
    for (DWORD i = 0; i < exception.NumberParameters; ++i) exception.ExceptionInformation[i] = record.ExceptionInformation[i];
    stream.ThreadContext = context;
    file.Align(8);
    return file.Append(&stream, sizeof(stream));
}

}  // namespace wincompat
