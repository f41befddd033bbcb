#include <windows.h>

#include "kernel32/ThreadObject.h"

#include <chrono>

namespace wincompat {

DWORD ThreadObject::Wait(DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(lock_);
    auto ended = [this] { return exitCode_.has_value(); };
    if (milliseconds == INFINITE) {
        changed_.wait(lock, ended);
        return WAIT_OBJECT_0;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ended) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

DWORD ThreadObject::ExitCode() {
    std::lock_guard<std::mutex> lock(lock_);
    return exitCode_.value_or(STILL_ACTIVE);
}

void ThreadObject::Started(DWORD id) {
    std::lock_guard<std::mutex> lock(lock_);
    id_ = id;
    changed_.notify_all();
}

void ThreadObject::Ended(DWORD exitCode) {
    std::lock_guard<std::mutex> lock(lock_);
    exitCode_ = exitCode;
    changed_.notify_all();
}

DWORD ThreadObject::WaitForId() {
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return id_ != 0; });
    return id_;
}

}  // namespace wincompat
