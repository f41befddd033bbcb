// A handle's view of a process: its id, a pidfd that keeps its identity
// (the id may be reused once it has been reaped), and the access the handle
// was opened with. Signalled when the process has ended.
#pragma once

#include "kernel32/ProcessWait.h"

#include <sys/types.h>

#include <atomic>
#include <memory>
#include <optional>

namespace wincompat {

class ProcessObject : public WaitableObject {
public:
    // A running process (or a child of ours that ended and still has
    // handles); null with the last error set otherwise.
    static std::shared_ptr<ProcessObject> Open(pid_t pid, DWORD access);
    ~ProcessObject() override;
    ProcessObject(const ProcessObject&) = delete;
    ProcessObject& operator=(const ProcessObject&) = delete;

    pid_t Id() const { return pid_; }
    bool Allows(DWORD access) const { return (access_ & access) == access; }

    DWORD Wait(DWORD milliseconds) override;
    bool HasEnded() const;
    // STILL_ACTIVE while it runs; nothing when the code cannot be known (a
    // process that is not our child, ended not by our TerminateProcess).
    std::optional<DWORD> ExitCode() const;
    // SIGKILL; false with the last error set when it cannot be signalled.
    bool Terminate(DWORD exitCode);

private:
    ProcessObject(pid_t pid, int pidfd, DWORD access, bool child)
        : pid_(pid), pidfd_(pidfd), access_(access), child_(child) {}

    pid_t pid_;
    int pidfd_;
    DWORD access_;
    bool child_;
    std::atomic<int64_t> imposedExitCode_{-1};  // for a process that is not our child; -1: none
};

// The primary thread of a process we started: waiting for it waits for the process.
class ProcessThreadObject : public WaitableObject {
public:
    explicit ProcessThreadObject(std::shared_ptr<ProcessObject> process) : process_(std::move(process)) {}
    DWORD Wait(DWORD milliseconds) override { return process_->Wait(milliseconds); }

private:
    std::shared_ptr<ProcessObject> process_;
};

}  // namespace wincompat
