// A thread made by CreateThread as its handles see it: signalled when the
// thread has ended, with the exit code its start routine returned.
#pragma once

#include "kernel32/ProcessWait.h"

#include <condition_variable>
#include <mutex>
#include <optional>

namespace wincompat {

class ThreadObject : public WaitableObject {
public:
    DWORD Wait(DWORD milliseconds) override;

    // STILL_ACTIVE until the thread has ended.
    DWORD ExitCode();

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
};

}  // namespace wincompat
