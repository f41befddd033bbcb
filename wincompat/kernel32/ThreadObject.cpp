#include <windows.h>

#include "kernel32/ThreadObject.h"

#include <time.h>

#include <chrono>

namespace wincompat {

namespace {

timespec DeadlineAfter(DWORD milliseconds) {
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);  // pthread_timedjoin_np's clock
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000;
    if (deadline.tv_nsec >= 1000000000) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000;
    }
    return deadline;
}

}  // namespace

ThreadObject::~ThreadObject() {
    if (created_ && !joined_) pthread_detach(thread_);
}

DWORD ThreadObject::Wait(DWORD milliseconds) {
    std::unique_lock<std::timed_mutex> turn(joining_, std::defer_lock);
    if (milliseconds == INFINITE) turn.lock();
    else if (!turn.try_lock_for(std::chrono::milliseconds(milliseconds))) return WAIT_TIMEOUT;
    if (joined_) return WAIT_OBJECT_0;
    timespec deadline = DeadlineAfter(milliseconds);
    int result = milliseconds == INFINITE ? pthread_join(thread_, nullptr)
                 : milliseconds == 0      ? pthread_tryjoin_np(thread_, nullptr)
                                          : pthread_timedjoin_np(thread_, nullptr, &deadline);
    if (result != 0) return WAIT_TIMEOUT;
    joined_ = true;
    return WAIT_OBJECT_0;
}

DWORD ThreadObject::ExitCode() {
    std::lock_guard<std::mutex> lock(lock_);
    return exitCode_.value_or(STILL_ACTIVE);
}

void ThreadObject::Created(pthread_t thread) {
    thread_ = thread;
    created_ = true;
}

void ThreadObject::Started(DWORD id) {
    std::lock_guard<std::mutex> lock(lock_);
    id_ = id;
    changed_.notify_all();
}

void ThreadObject::Ended(DWORD exitCode) {
    std::lock_guard<std::mutex> lock(lock_);
    exitCode_ = exitCode;
}

DWORD ThreadObject::WaitForId() {
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return id_ != 0; });
    return id_;
}

}  // namespace wincompat
