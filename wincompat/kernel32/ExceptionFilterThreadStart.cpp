// pthread_create as the executable exports it, so that every caller (the C++
// runtime's std::thread, a loaded library) starts threads that can report a
// stack overflow. Compiled into each executable rather than kept in the
// wincompat archive, whose symbols are never exported.
#include <pthread.h>

namespace wincompat {
int StartThreadWithSignalStack(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*),
                               void* argument);
}

extern "C" __attribute__((visibility("default"))) int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                                                                    void* (*routine)(void*), void* argument) {
    return wincompat::StartThreadWithSignalStack(thread, attributes, routine, argument);
}
