#include "kernel32/ProcessObject.h"

#include "kernel32/ProcessChildren.h"
#include "kernel32/ProcessList.h"
#include "kernel32/ProcessScope.h"
#include "prefix/Prefix.h"

#include <windows.h>

#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

namespace wincompat {

namespace {

// Debian 12's <sys/pidfd.h> lacks extern "C", so the system calls are made directly.
int OpenPidfd(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }
int SendSignal(int pidfd, int signal) { return static_cast<int>(syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0)); }

// What Windows would report for a process ended the way this one was. Unix
// keeps only the low 8 bits of an exit code.
DWORD ExitCodeFromWaitStatus(int status, std::optional<DWORD> imposed) {
    if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
    if (!WIFSIGNALED(status)) return 1;
    switch (WTERMSIG(status)) {
    case SIGKILL: return imposed ? *imposed : 1;  // 1 as when ended from outside
    case SIGSEGV:
    case SIGBUS: return 0xC0000005;   // STATUS_ACCESS_VIOLATION
    case SIGILL: return 0xC000001D;   // STATUS_ILLEGAL_INSTRUCTION
    case SIGFPE: return 0xC0000094;   // STATUS_INTEGER_DIVIDE_BY_ZERO
    case SIGINT: return 0xC000013A;   // STATUS_CONTROL_C_EXIT
    case SIGABRT: return 3;           // abort() in the C runtime
    default: return 1;
    }
}

int64_t NowMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// True once the process has ended; a pidfd becomes readable then.
bool PollEnded(int pidfd, DWORD milliseconds, DWORD& error) {
    int64_t deadline = NowMilliseconds() + milliseconds;
    for (;;) {
        int timeout = -1;
        if (milliseconds != INFINITE) {
            int64_t left = deadline - NowMilliseconds();
            timeout = static_cast<int>(std::clamp<int64_t>(left, 0, INT_MAX));
        }
        pollfd fd{pidfd, POLLIN, 0};
        int ready = poll(&fd, 1, timeout);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) {
            error = ErrorFromErrno(errno);
            return false;
        }
        if (ready == 0 && milliseconds != INFINITE && NowMilliseconds() >= deadline) {
            error = ERROR_SUCCESS;
            return false;
        }
    }
}

bool IsRunning(pid_t pid) {
    ProcessStat stat;
    return ReadProcessStat(pid, stat) && stat.state != 'Z' && stat.state != 'X';
}

}  // namespace

std::shared_ptr<ProcessObject> ProcessObject::Open(pid_t pid, DWORD access) {
    int pidfd = OpenPidfd(pid);
    if (pidfd < 0) {
        SetLastError(errno == ESRCH || errno == EINVAL ? ERROR_INVALID_PARAMETER : ErrorFromErrno(errno));
        return nullptr;
    }
    bool child = RetainIfChild(pid);
    DWORD error = ERROR_SUCCESS;
    // A process of another prefix, or of none, does not exist for this one.
    if (!child && (!IsRunning(pid) || !ProcessScope().Contains(pid))) error = ERROR_INVALID_PARAMETER;
    else if ((access & PROCESS_TERMINATE) && kill(pid, 0) != 0 && errno == EPERM) error = ERROR_ACCESS_DENIED;
    if (error != ERROR_SUCCESS) {
        if (child) ReleaseChild(pid);
        close(pidfd);
        SetLastError(error);
        return nullptr;
    }
    return std::shared_ptr<ProcessObject>(new ProcessObject(pid, pidfd, access, child));
}

ProcessObject::~ProcessObject() {
    close(pidfd_);
    if (child_) ReleaseChild(pid_);
}

DWORD ProcessObject::Wait(DWORD milliseconds) {
    if (!Allows(SYNCHRONIZE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return WAIT_FAILED;
    }
    DWORD error = ERROR_SUCCESS;
    if (PollEnded(pidfd_, milliseconds, error)) return WAIT_OBJECT_0;
    if (error == ERROR_SUCCESS) return WAIT_TIMEOUT;
    SetLastError(error);
    return WAIT_FAILED;
}

bool ProcessObject::HasEnded() const {
    if (child_) return ChildEnded(pid_).has_value();
    DWORD error = ERROR_SUCCESS;
    return PollEnded(pidfd_, 0, error);
}

std::optional<DWORD> ProcessObject::ExitCode() const {
    if (child_) {
        std::optional<ChildEnd> end = ChildEnded(pid_);
        if (!end) return STILL_ACTIVE;
        return ExitCodeFromWaitStatus(end->waitStatus, end->imposedExitCode);
    }
    if (!HasEnded()) return STILL_ACTIVE;
    int64_t imposed = imposedExitCode_.load();
    if (imposed < 0) return std::nullopt;
    return static_cast<DWORD>(imposed);
}

bool ProcessObject::Terminate(DWORD exitCode) {
    if (HasEnded()) {
        SetLastError(ERROR_ACCESS_DENIED);  // as Windows answers for an ended process
        return false;
    }
    if (child_) NoteChildTerminated(pid_, exitCode);
    if (SendSignal(pidfd_, SIGKILL) != 0) {
        SetLastError(errno == ESRCH ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno));
        return false;
    }
    int64_t none = -1;
    if (!child_) imposedExitCode_.compare_exchange_strong(none, exitCode);
    return true;
}

}  // namespace wincompat
