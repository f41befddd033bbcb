// CreateThread and GetExitCodeThread. A thread runs on a pthread of its own;
// waiting on its handle joins it, and one never waited for is let go when its
// last handle closes (ThreadObject.h).
#include <windows.h>

#include "kernel32/ExceptionFilterStacks.h"
#include "kernel32/Handles.h"
#include "kernel32/ThreadObject.h"

#include <pthread.h>
#include <unistd.h>

#include <memory>
#include <new>

using namespace wincompat;

namespace {

struct ThreadStart {
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
    std::shared_ptr<ThreadObject> object;
};

void* RunThread(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    ThreadSignalStack signalStack;
    start->object->Started(GetCurrentThreadId());
    start->object->Ended(start->routine(start->parameter));
    return nullptr;
}

// A stack of at least the size asked for, whole pages; 0 keeps the default.
bool SetStackSize(pthread_attr_t* attributes, SIZE_T stackSize) {
    if (stackSize == 0) return true;
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t size = (stackSize + page - 1) / page * page;
    if (size < static_cast<size_t>(PTHREAD_STACK_MIN)) size = PTHREAD_STACK_MIN;
    return pthread_attr_setstacksize(attributes, size) == 0;
}

bool StartThread(std::unique_ptr<ThreadStart>& start, SIZE_T stackSize) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_t thread;
    ThreadObject& object = *start->object;
    bool started = SetStackSize(&attributes, stackSize) &&
                   pthread_create(&thread, &attributes, RunThread, start.get()) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) return false;
    start.release();  // the thread owns it now
    object.Created(thread);
    return true;
}

}  // namespace

extern "C" HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE startAddress,
                                      LPVOID parameter, DWORD creationFlags, LPDWORD threadId) {
    if (creationFlags & CREATE_SUSPENDED) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    // Windows would start a thread that faults at once.
    if (!startAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart{startAddress, parameter, object});
    if (!start || !StartThread(start, stackSize)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD id = object->WaitForId();
    if (threadId) *threadId = id;
    return AddHandle(object);
}

extern "C" BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto object = FindHandleOf<ThreadObject>(thread);
    if (!object) return FALSE;
    *exitCode = object->ExitCode();
    return TRUE;
}
