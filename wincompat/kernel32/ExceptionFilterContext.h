// Processor state between the kernel's signal frame and the AMD64 CONTEXT
// record an exception filter or a dump sees. Async-signal-safe.
#pragma once

#include <windows.h>

#include <ucontext.h>

namespace wincompat {

void ContextFromSignal(const ucontext_t& signal, CONTEXT* context);

// Writes the integer, control and floating-point registers back, for a filter
// that changed them and asked to continue.
void SignalFromContext(const CONTEXT& context, ucontext_t* signal);

}  // namespace wincompat
