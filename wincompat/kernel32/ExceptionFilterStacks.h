// Alternate signal stacks, so that a thread whose own stack overflowed still
// runs the unhandled-exception filter.
#pragma once

#include <pthread.h>

namespace wincompat {

// Gives the calling thread a signal stack unless it has one; from now on every
// thread started with pthread_create (std::thread included) gets its own too.
void ProvideSignalStacks();

// pthread_create through the C library, the new thread getting a signal stack
// first once ProvideSignalStacks has run.
int StartThreadWithSignalStack(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*),
                               void* argument);

}  // namespace wincompat
