// A thread made by CreateThread as its handles see it: signalled once the
// thread has ended entirely (its thread-local destructors run, as Windows
// signals a thread only after its libraries were told it detaches), with the
// exit code its start routine returned.
#pragma once

#include "kernel32/ProcessWait.h"

#include <pthread.h>

#include <condition_variable>
#include <mutex>
#include <optional>

namespace wincompat {

class ThreadObject : public WaitableObject {
public:
    // A thread nobody joined is let go, so that it leaves nothing behind.
    ~ThreadObject() override;

    DWORD Wait(DWORD milliseconds) override;

    // STILL_ACTIVE until the start routine has returned.
    DWORD ExitCode();

    // The creator: the pthread, once made.
    void Created(pthread_t thread);
    // The thread itself: its id once it runs, its exit code when it ends.
    void Started(DWORD id);
    void Ended(DWORD exitCode);

    // The creator: blocks until the thread has said its id.
    DWORD WaitForId();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    DWORD id_ = 0;
    std::optional<DWORD> exitCode_;

    std::timed_mutex joining_;  // one waiter joins at a time
    pthread_t thread_{};
    bool created_ = false;
    bool joined_ = false;
};

}  // namespace wincompat
