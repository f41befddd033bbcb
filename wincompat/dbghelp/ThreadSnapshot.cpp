// One snapshot at a time (MiniDumpWriteDump serialises); its table is mapped
// for the capture and unmapped once no handler can be looking at it.
#include "dbghelp/ThreadSnapshot.h"

#include "dbghelp/MappedStorage.h"
#include "kernel32/ExceptionFilterContext.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <new>

namespace wincompat {

namespace {

constexpr long kAnswerMilliseconds = 200;

enum class SlotState : int { Idle, Asked, Writing, Answered };

struct Slot {
    ThreadState state;
    std::atomic<SlotState> progress;
};

constexpr size_t kTableBytes = sizeof(Slot) * kMaxSnapshotThreads;

// Mapped for the time of one capture; the signal handler reads it through this pointer.
Slot* slots = nullptr;
size_t slotCount = 0;
std::atomic<Slot*> answering{nullptr};  // slots while handlers may look at them
std::atomic<int> handlersRunning{0};
std::atomic<bool> holding{false};
struct sigaction previousAction;

pid_t CurrentThread() { return static_cast<pid_t>(syscall(SYS_gettid)); }

int CaptureSignal() { return SIGRTMAX - 3; }

void Pause() {
    timespec pause{0, 1000000};
    nanosleep(&pause, nullptr);
}

void Answer(ucontext_t* interrupted) {
    Slot* table = answering.load();
    if (!table) return;  // a late signal, after the capture
    pid_t self = CurrentThread();
    for (size_t i = 0; i < slotCount; ++i) {
        SlotState asked = SlotState::Asked;
        if (table[i].state.id != self || !table[i].progress.compare_exchange_strong(asked, SlotState::Writing))
            continue;
        ContextFromSignal(*interrupted, &table[i].state.context);
        table[i].state.hasContext = true;
        table[i].progress.store(SlotState::Answered);
        while (holding.load()) Pause();
    }
}

void OnCaptureSignal(int, siginfo_t*, void* raw) {
    int savedErrno = errno;
    ++handlersRunning;
    Answer(static_cast<ucontext_t*>(raw));
    --handlersRunning;
    errno = savedErrno;
}

pid_t ParseId(const char* name) {
    pid_t id = 0;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9') return 0;
        id = id * 10 + (*name - '0');
    }
    return id;
}

struct LinuxDirent {
    uint64_t inode;
    int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

// Fills slots with the ids under /proc/self/task.
void ListThreads() {
    slotCount = 0;
    int fd = open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    alignas(8) char buffer[8192];
    for (;;) {
        long got = syscall(SYS_getdents64, fd, buffer, sizeof(buffer));
        if (got <= 0) break;
        for (long at = 0; at < got;) {
            const LinuxDirent* entry = reinterpret_cast<const LinuxDirent*>(buffer + at);
            pid_t id = ParseId(entry->name);
            if (id > 0 && slotCount < kMaxSnapshotThreads) {
                slots[slotCount].state.id = id;
                slots[slotCount].state.hasContext = false;
                slots[slotCount].progress.store(SlotState::Idle);
                ++slotCount;
            }
            at += entry->length;
        }
    }
    close(fd);
}

long ElapsedMilliseconds(const timespec& since) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - since.tv_sec) * 1000 + (now.tv_nsec - since.tv_nsec) / 1000000;
}

void AskOthers() {
    pid_t process = getpid();
    for (size_t i = 0; i < slotCount; ++i) {
        if (slots[i].state.hasContext) continue;
        slots[i].progress.store(SlotState::Asked);
        if (syscall(SYS_tgkill, process, slots[i].state.id, CaptureSignal()) != 0)
            slots[i].progress.store(SlotState::Idle);  // gone meanwhile
    }
}

void AwaitAnswers() {
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (size_t i = 0; i < slotCount; ++i) {
        while (slots[i].progress.load() == SlotState::Asked && ElapsedMilliseconds(start) < kAnswerMilliseconds)
            Pause();
        // Too late now: a thread answering after this leaves its slot alone.
        SlotState asked = SlotState::Asked;
        slots[i].progress.compare_exchange_strong(asked, SlotState::Idle);
        while (slots[i].progress.load() == SlotState::Writing) Pause();
    }
}

}  // namespace

void ThreadSnapshot::Capture(pid_t faulting, const CONTEXT& faultingContext, pid_t caller, const CONTEXT& callerContext) {
    void* table = mmap(nullptr, kTableBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    slotCount = 0;
    if (table == MAP_FAILED) return;
    slots = new (table) Slot[kMaxSnapshotThreads];
    ListThreads();
    for (size_t i = 0; i < slotCount; ++i) {
        pid_t id = slots[i].state.id;
        if (id != faulting && id != caller) continue;
        slots[i].state.context = id == faulting ? faultingContext : callerContext;
        slots[i].state.hasContext = true;
    }
    holding.store(true);
    struct sigaction action{};
    action.sa_sigaction = OnCaptureSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(CaptureSignal(), &action, &previousAction);
    answering.store(slots);
    AskOthers();
    AwaitAnswers();
}

void ThreadSnapshot::Release() {
    if (!slots) return;
    answering.store(nullptr);
    holding.store(false);
    while (handlersRunning.load() > 0) Pause();
    // A thread that never answered may still get the signal later: without a
    // handler of the program's own, it is ignored rather than ending the process.
    struct sigaction restored = previousAction;
    if (restored.sa_handler == SIG_DFL) restored.sa_handler = SIG_IGN;
    sigaction(CaptureSignal(), &restored, nullptr);
    munmap(slots, kTableBytes);
    slots = nullptr;
    slotCount = 0;
}

size_t ThreadSnapshot::Count() const { return slotCount; }

const ThreadState& ThreadSnapshot::operator[](size_t index) const { return slots[index].state; }

}  // namespace wincompat
