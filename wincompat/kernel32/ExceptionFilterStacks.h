// Alternate signal stacks, so that a thread whose own stack overflowed still
// runs the unhandled-exception filter.
#pragma once

#include <stddef.h>

namespace wincompat {

// Gives the calling thread (the one installing the filter, the main thread) a
// signal stack for the life of the process, unless it has one.
void ProvideSignalStacks();

// A signal stack for the calling thread while this lives: CreateThread gives
// one to each thread it makes. Does nothing where the thread has one already
// (a sanitizer runtime gives its threads their own).
class ThreadSignalStack {
public:
    ThreadSignalStack();
    ~ThreadSignalStack();
    ThreadSignalStack(const ThreadSignalStack&) = delete;
    ThreadSignalStack& operator=(const ThreadSignalStack&) = delete;

private:
    void* mapping_ = nullptr;
    size_t length_ = 0;
};

}  // namespace wincompat
