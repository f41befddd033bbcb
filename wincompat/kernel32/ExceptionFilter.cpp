// SetUnhandledExceptionFilter: while a filter is set, the fatal signals of
// every thread become exceptions handed to it.
//
// The filter's answer:
//   EXCEPTION_EXECUTE_HANDLER     the process ends at once, quietly, with exit
//                                 status ExitStatusFor(code): the exception code's
//                                 low byte, as much of the Windows exit code as
//                                 a unix status holds.
//   EXCEPTION_CONTINUE_EXECUTION  the (possibly changed) registers are resumed,
//                                 unless the exception is noncontinuable.
//   anything else                 the signal's previous action (normally the
//                                 default end with a core dump).
// A fault inside the filter itself, on the thread running it, also takes the
// previous action. A second thread faulting meanwhile waits for the first.
#include <windows.h>

#include "kernel32/ExceptionFilterContext.h"
#include "kernel32/ExceptionFilterRecord.h"
#include "kernel32/ExceptionFilterStacks.h"
#include "prefix/Machine.h"

#include <errno.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

using namespace wincompat;

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
// A filter that never returns (say it waits for a lock the crashed code held)
// still ends the process.
constexpr unsigned kFilterSeconds = 60;

std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> theFilter{nullptr};
std::atomic<pid_t> handlingThread{0};
std::atomic<int> watchdogStatus{0};
struct sigaction previousActions[NSIG];
std::mutex installation;

pid_t CurrentThread() { return static_cast<pid_t>(syscall(SYS_gettid)); }

// Restores what was there before us and lets the signal take that course: a
// fault re-executes and faults again, a sent signal is sent again.
void PassOn(int signal, const siginfo_t* info) {
    sigaction(signal, &previousActions[signal], nullptr);
    if (info->si_code <= 0) syscall(SYS_tgkill, getpid(), CurrentThread(), signal);
}

void OnWatchdog(int) { _exit(watchdogStatus.load()); }

void ArmWatchdog(int status) {
    watchdogStatus.store(status);
    struct sigaction action{};
    action.sa_handler = OnWatchdog;
    sigaction(SIGALRM, &action, nullptr);
    alarm(kFilterSeconds);
}

void WaitForOtherThread() {
    timespec pause{0, 1000000};
    while (handlingThread.load() != 0) nanosleep(&pause, nullptr);
}

void Resume(const CONTEXT& context, ucontext_t* signalContext) {
    alarm(0);
    SignalFromContext(context, signalContext);
    handlingThread.store(0);
}

void OnFatalSignal(int signal, siginfo_t* info, void* raw) {
    int savedErrno = errno;
    ucontext_t* signalContext = static_cast<ucontext_t*>(raw);
    LPTOP_LEVEL_EXCEPTION_FILTER filter = theFilter.load();
    pid_t self = CurrentThread();
    pid_t expected = 0;
    if (!filter || handlingThread.load() == self) return PassOn(signal, info);
    if (!handlingThread.compare_exchange_strong(expected, self)) {
        WaitForOtherThread();  // then the fault repeats, and this thread gets its turn
        errno = savedErrno;
        return;
    }
    EXCEPTION_RECORD record;
    CONTEXT context;
    RecordFromSignal(signal, *info, *signalContext, &record);
    ContextFromSignal(*signalContext, &context);
    EXCEPTION_POINTERS pointers{&record, &context};
    ArmWatchdog(ExitStatusFor(record.ExceptionCode));
    LONG verdict = filter(&pointers);
    if (verdict == EXCEPTION_EXECUTE_HANDLER) _exit(ExitStatusFor(record.ExceptionCode));
    if (verdict == EXCEPTION_CONTINUE_EXECUTION && !(record.ExceptionFlags & EXCEPTION_NONCONTINUABLE)) {
        Resume(context, signalContext);
        errno = savedErrno;
        return;
    }
    alarm(0);
    PassOn(signal, info);  // handlingThread stays: the process ends on this thread
}

void CatchFatalSignals() {
    struct sigaction action{};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals) sigaction(signal, &action, &previousActions[signal]);
}

void ReleaseFatalSignals() {
    for (int signal : kFatalSignals) sigaction(signal, &previousActions[signal], nullptr);
}

}  // namespace

extern "C" LPTOP_LEVEL_EXCEPTION_FILTER WINAPI SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
    std::lock_guard<std::mutex> lock(installation);
    LPTOP_LEVEL_EXCEPTION_FILTER previous = theFilter.exchange(filter);
    if (filter && !previous) {
        CurrentMachine();  // read now, not first in a crashed process (a dump reports it)
        ProvideSignalStacks();
        CatchFatalSignals();
    } else if (!filter && previous) {
        ReleaseFatalSignals();
    }
    return previous;
}
