#include "kernel32/MutexObject.h"

#include "prefix/ByteLocks.h"
#include "prefix/Prefix.h"

#include <windows.h>

#include <errno.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace wincompat {

namespace {

const char kOwned = '1';
const char kFree = '0';

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(DWORD milliseconds) { return Clock::now() + std::chrono::milliseconds(milliseconds); }

// The previous owner's mark: set means it ended without releasing.
bool MarkOwned(int fd) {
    char previous = kFree;
    bool abandoned = pread(fd, &previous, 1, 0) == 1 && previous == kOwned;
    pwrite(fd, &kOwned, 1, 0);
    return abandoned;
}

void SleepMilliseconds(long milliseconds) {
    timespec delay{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

}  // namespace

void MutexState::ClaimNewFile(int fd) {
    TryLockByte(fd, kOwnership, ByteLock::kExclusive);  // nobody else holds the file yet
    MarkOwned(fd);
}

void MutexState::AdoptOwnership() {
    std::lock_guard<std::mutex> guard(lock_);
    owner_ = GetCurrentThreadId();
    count_ = 1;
}

DWORD MutexState::Acquire(DWORD milliseconds) {
    DWORD self = GetCurrentThreadId();
    Clock::time_point deadline = DeadlineAfter(milliseconds == INFINITE ? 0 : milliseconds);
    std::unique_lock<std::mutex> guard(lock_);
    if (owner_ == self) {
        ++count_;
        return WAIT_OBJECT_0;
    }
    while (owner_ != 0) {
        if (milliseconds == INFINITE) released_.wait(guard);
        else if (released_.wait_until(guard, deadline) == std::cv_status::timeout && owner_ != 0) return WAIT_TIMEOUT;
    }
    owner_ = self;  // this thread speaks for the process while it asks the others
    guard.unlock();
    DWORD left = WAIT_OBJECT_0;
    if (milliseconds != INFINITE) {
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        left = static_cast<DWORD>(std::max<long long>(remaining, 0));
    }
    DWORD result = file_ ? AcquireFile(milliseconds == INFINITE ? INFINITE : left) : WAIT_OBJECT_0;
    guard.lock();
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
        owner_ = 0;
        released_.notify_one();
        return result;
    }
    count_ = 1;
    return result;
}

// Another process's owner holds the byte; its lock goes when it releases the
// mutex or ends. A finite wait asks again in growing steps of at most 16 ms.
DWORD MutexState::AcquireFile(DWORD milliseconds) {
    int fd = file_->Descriptor();
    if (milliseconds == INFINITE) {
        if (!WaitLockByte(fd, kOwnership, ByteLock::kExclusive)) {
            SetLastError(ErrorFromErrno(errno));
            return WAIT_FAILED;
        }
        return MarkOwned(fd) ? WAIT_ABANDONED : WAIT_OBJECT_0;
    }
    Clock::time_point deadline = DeadlineAfter(milliseconds);
    for (long step = 1;; step = std::min(step * 2, 16L)) {
        if (TryLockByte(fd, kOwnership, ByteLock::kExclusive)) return MarkOwned(fd) ? WAIT_ABANDONED : WAIT_OBJECT_0;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return WAIT_TIMEOUT;
        SleepMilliseconds(std::min<long>(step, static_cast<long>(left)));
    }
}

bool MutexState::Release() {
    std::lock_guard<std::mutex> guard(lock_);
    if (owner_ != GetCurrentThreadId() || count_ == 0) {
        SetLastError(ERROR_NOT_OWNER);
        return false;
    }
    if (--count_ > 0) return true;
    if (file_) {
        pwrite(file_->Descriptor(), &kFree, 1, 0);
        UnlockByte(file_->Descriptor(), kOwnership);
    }
    owner_ = 0;
    released_.notify_one();
    return true;
}

DWORD MutexHandle::Wait(DWORD milliseconds) {
    if (!(access_ & SYNCHRONIZE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return WAIT_FAILED;
    }
    return state_->Acquire(milliseconds);
}

}  // namespace wincompat
