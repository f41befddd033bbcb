// The signal frame's general registers map one to one onto CONTEXT's; the
// frame's FXSAVE image is CONTEXT's FltSave byte for byte.
#include "kernel32/ExceptionFilterContext.h"

#include <stddef.h>
#include <string.h>

namespace wincompat {

static_assert(sizeof(CONTEXT) == 0x4D0);
static_assert(offsetof(CONTEXT, ContextFlags) == 0x30);
static_assert(offsetof(CONTEXT, Rax) == 0x78);
static_assert(offsetof(CONTEXT, Rip) == 0xF8);
static_assert(offsetof(CONTEXT, FltSave) == 0x100);
static_assert(sizeof(XMM_SAVE_AREA32) == sizeof(struct _libc_fpstate));

namespace {

struct RegisterPair {
    size_t contextOffset;
    int signalIndex;
};

constexpr RegisterPair kRegisters[] = {
    {offsetof(CONTEXT, Rax), REG_RAX}, {offsetof(CONTEXT, Rcx), REG_RCX}, {offsetof(CONTEXT, Rdx), REG_RDX},
    {offsetof(CONTEXT, Rbx), REG_RBX}, {offsetof(CONTEXT, Rsp), REG_RSP}, {offsetof(CONTEXT, Rbp), REG_RBP},
    {offsetof(CONTEXT, Rsi), REG_RSI}, {offsetof(CONTEXT, Rdi), REG_RDI}, {offsetof(CONTEXT, R8), REG_R8},
    {offsetof(CONTEXT, R9), REG_R9},   {offsetof(CONTEXT, R10), REG_R10}, {offsetof(CONTEXT, R11), REG_R11},
    {offsetof(CONTEXT, R12), REG_R12}, {offsetof(CONTEXT, R13), REG_R13}, {offsetof(CONTEXT, R14), REG_R14},
    {offsetof(CONTEXT, R15), REG_R15}, {offsetof(CONTEXT, Rip), REG_RIP},
};

DWORD64& Register(CONTEXT* context, size_t offset) {
    return *reinterpret_cast<DWORD64*>(reinterpret_cast<char*>(context) + offset);
}

}  // namespace

void ContextFromSignal(const ucontext_t& signal, CONTEXT* context) {
    memset(context, 0, sizeof(*context));
    const greg_t* gregs = signal.uc_mcontext.gregs;
    context->ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER | CONTEXT_SEGMENTS | CONTEXT_FLOATING_POINT;
    for (const RegisterPair& pair : kRegisters)
        Register(context, pair.contextOffset) = static_cast<DWORD64>(gregs[pair.signalIndex]);
    context->EFlags = static_cast<DWORD>(gregs[REG_EFL]);
    // cs | gs << 16 | fs << 32 | ss << 48
    uint64_t selectors = static_cast<uint64_t>(gregs[REG_CSGSFS]);
    context->SegCs = static_cast<WORD>(selectors);
    context->SegGs = static_cast<WORD>(selectors >> 16);
    context->SegFs = static_cast<WORD>(selectors >> 32);
    context->SegSs = static_cast<WORD>(selectors >> 48);
    if (signal.uc_mcontext.fpregs) {
        memcpy(&context->FltSave, signal.uc_mcontext.fpregs, sizeof(context->FltSave));
        context->MxCsr = context->FltSave.MxCsr;
    }
}

void SignalFromContext(const CONTEXT& context, ucontext_t* signal) {
    greg_t* gregs = signal->uc_mcontext.gregs;
    CONTEXT copy = context;
    for (const RegisterPair& pair : kRegisters)
        gregs[pair.signalIndex] = static_cast<greg_t>(Register(&copy, pair.contextOffset));
    gregs[REG_EFL] = context.EFlags;
    if (signal->uc_mcontext.fpregs && (context.ContextFlags & CONTEXT_FLOATING_POINT) == CONTEXT_FLOATING_POINT)
        memcpy(signal->uc_mcontext.fpregs, &context.FltSave, sizeof(context.FltSave));
}

}  // namespace wincompat
