// The Windows exception a fatal signal stands for, and the exit status of a
// process that ends on it. Async-signal-safe.
#pragma once

#include <windows.h>

#include <signal.h>
#include <ucontext.h>

namespace wincompat {

void RecordFromSignal(int signal, const siginfo_t& info, const ucontext_t& context, EXCEPTION_RECORD* record);

// A Windows process ended by an exception exits with the exception code; a
// unix exit status keeps its low byte (0xC0000005 -> 5).
int ExitStatusFor(DWORD exceptionCode);

}  // namespace wincompat
