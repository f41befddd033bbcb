// The threads of this process and their registers. Without ptrace a thread's
// registers are only reachable from that thread, so each other thread is sent
// a signal whose handler records the interrupted state and then holds the
// thread still until Release, keeping its stack as the dump finds it.
#pragma once

#include <windows.h>

#include <sys/types.h>

namespace wincompat {

constexpr size_t kMaxSnapshotThreads = 512;

struct ThreadState {
    pid_t id;
    bool hasContext;  // false: the thread did not answer in time (or blocks the signal)
    CONTEXT context;
};

class ThreadSnapshot {
public:
    // Lists /proc/self/task. The faulting thread and the calling thread (often
    // the same) come with their registers; every other one is asked.
    void Capture(pid_t faulting, const CONTEXT& faultingContext, pid_t caller, const CONTEXT& callerContext);
    // Lets the held threads run on.
    void Release();

    size_t Count() const;
    const ThreadState& operator[](size_t index) const;
};

}  // namespace wincompat
