#include "kernel32/ExceptionFilterStacks.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

namespace wincompat {

namespace {

// The filter and the dump writer run on it: room for both, committed only when touched.
constexpr size_t kSignalStackSize = 256 * 1024;

// The stack, with a guard page below it; kept for the life of the process.
void MapSignalStack() {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* base = mmap(nullptr, kSignalStackSize + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK,
                      -1, 0);
    if (base == MAP_FAILED) return;
    mprotect(base, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(base) + page;
    stack.ss_size = kSignalStackSize;
    if (sigaltstack(&stack, nullptr) != 0) munmap(base, kSignalStackSize + page);
}

bool HasSignalStack() {
    stack_t current{};
    return sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE);
}

}  // namespace

void ProvideSignalStacks() {
    if (!HasSignalStack()) MapSignalStack();
}

}  // namespace wincompat
