// A new thread has no alternate signal stack, and no hook of the C library runs
// when one starts. So pthread_create is wrapped (ExceptionFilterThreadStart.cpp)
// and each thread begins here.
#include "kernel32/ExceptionFilterStacks.h"

#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <errno.h>

#include <atomic>
#include <new>

namespace wincompat {

namespace {

// The filter and the dump writer run on it: room for both, committed only when touched.
constexpr size_t kSignalStackSize = 256 * 1024;

std::atomic<bool> threadsNeedStacks{false};

// The stack of one thread, with a guard page below it; null when none could be made.
void* MapSignalStack() {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* base = mmap(nullptr, kSignalStackSize + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    mprotect(base, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(base) + page;
    stack.ss_size = kSignalStackSize;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(base, kSignalStackSize + page);
        return nullptr;
    }
    return base;
}

bool HasSignalStack() {
    stack_t current{};
    return sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE);
}

// Owned by a started thread; its destructor runs when the thread ends.
struct ThreadSignalStack {
    void* base = nullptr;
    ~ThreadSignalStack() {
        if (!base) return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(base, kSignalStackSize + static_cast<size_t>(sysconf(_SC_PAGESIZE)));
    }
};

struct ThreadStart {
    void* (*routine)(void*);
    void* argument;
};

void* StartWithSignalStack(void* raw) {
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    if (threadsNeedStacks.load(std::memory_order_relaxed) && !HasSignalStack()) {
        thread_local ThreadSignalStack owned;
        owned.base = MapSignalStack();
    }
    return start.routine(start.argument);
}

using CreateFunction = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

CreateFunction RealCreate() {
    static CreateFunction real = reinterpret_cast<CreateFunction>(dlsym(RTLD_NEXT, "pthread_create"));
    return real;
}

}  // namespace

void ProvideSignalStacks() {
    threadsNeedStacks.store(true, std::memory_order_relaxed);
    if (!HasSignalStack()) MapSignalStack();  // the calling thread's, kept for the life of the process
}

int StartThreadWithSignalStack(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*),
                               void* argument) {
    CreateFunction real = RealCreate();
    if (!real) return EAGAIN;
    ThreadStart* start = new (std::nothrow) ThreadStart{routine, argument};
    if (!start) return EAGAIN;
    int result = real(thread, attributes, StartWithSignalStack, start);
    if (result != 0) delete start;
    return result;
}

}  // namespace wincompat
