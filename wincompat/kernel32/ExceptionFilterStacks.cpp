#include "kernel32/ExceptionFilterStacks.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

namespace wincompat {

namespace {

// The filter and the dump writer run on it: room for both, committed only when touched.
constexpr size_t kSignalStackSize = 256 * 1024;

bool HasSignalStack() {
    stack_t current{};
    return sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE);
}

// Maps a stack with a guard page below it and makes it the calling thread's
// signal stack; the mapping's length, or 0 when none could be made.
size_t MapSignalStack(void** mapping) {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t length = kSignalStackSize + page;
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (base == MAP_FAILED) return 0;
    mprotect(base, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(base) + page;
    stack.ss_size = kSignalStackSize;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(base, length);
        return 0;
    }
    *mapping = base;
    return length;
}

}  // namespace

void ProvideSignalStacks() {
    void* mapping = nullptr;
    if (!HasSignalStack()) MapSignalStack(&mapping);
}

ThreadSignalStack::ThreadSignalStack() {
    if (!HasSignalStack()) length_ = MapSignalStack(&mapping_);
}

ThreadSignalStack::~ThreadSignalStack() {
    if (!length_) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    if (sigaltstack(&off, nullptr) == 0) munmap(mapping_, length_);  // else still in use: kept
}

}  // namespace wincompat
