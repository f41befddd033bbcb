// A mutex as one process holds it: which of its threads owns it and how many
// times over. A named mutex is also a file of the prefix (NamedObjectFile.h):
// the process holds an exclusive lock on its ownership byte while one of its
// threads owns the mutex, so that one thread in the whole prefix owns it, and
// the file's first data byte says "owned" until the owner releases it, so
// that a waiter can tell an owner that died without releasing it (abandoned).
#pragma once

#include "kernel32/NamedObjectFile.h"
#include "kernel32/ProcessWait.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace wincompat {

class MutexState {
public:
    static constexpr off_t kOwnership = NamedObjectFile::kFirstFree;

    // file is null for an unnamed mutex.
    explicit MutexState(std::unique_ptr<NamedObjectFile> file) : file_(std::move(file)) {}
    ~MutexState() = default;
    MutexState(const MutexState&) = delete;
    MutexState& operator=(const MutexState&) = delete;

    // Claims a new named mutex's file for its creator, before any other
    // process can open it; then AdoptOwnership gives it the calling thread.
    static void ClaimNewFile(int fd);
    void AdoptOwnership();

    // WAIT_OBJECT_0 (also when the calling thread owns it already: ownership
    // counts), WAIT_ABANDONED, WAIT_TIMEOUT or WAIT_FAILED.
    DWORD Acquire(DWORD milliseconds);
    // False with ERROR_NOT_OWNER unless the calling thread owns the mutex.
    bool Release();

private:
    DWORD AcquireFile(DWORD milliseconds);

    std::unique_ptr<NamedObjectFile> file_;
    std::mutex lock_;
    std::condition_variable released_;
    DWORD owner_ = 0;  // thread id; 0 while no thread of this process owns or is taking it
    DWORD count_ = 0;
};

// One handle to a mutex: the state and the access it was opened with.
class MutexHandle : public WaitableObject {
public:
    MutexHandle(std::shared_ptr<MutexState> state, DWORD access) : state_(std::move(state)), access_(access) {}
    DWORD Wait(DWORD milliseconds) override;
    MutexState& State() { return *state_; }

private:
    std::shared_ptr<MutexState> state_;
    DWORD access_;
};

}  // namespace wincompat
