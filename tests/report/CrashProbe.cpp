// A program that installs the crash dump writer the way the installer does
// and then dies in the way its argument names.
#include "report/CrashDumpWriter.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <sys/mman.h>
#include <unistd.h>


namespace {

CrashDumpWriterInstallation installation;

volatile int zero = 0;
volatile int seven = 7;
int* volatile nowhere = nullptr;

__attribute__((noinline)) void WriteNowhere() { *nowhere = 1; }

__attribute__((noinline)) int DivideByZero() { return seven / zero; }

// Deep enough to run out of any stack; the array keeps frames from being merged.
__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth == -1) return 0;  // never: depth only grows
    return Recurse(depth + 1) + frame[0];
}

// A filter that declines: the signal's own default takes over.
LONG WINAPI DeclineEverything(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

// A filter that makes the faulting page writable and resumes the write.
char* lockedPage = nullptr;
LONG WINAPI UnlockAndResume(EXCEPTION_POINTERS* pointers) {
    EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record->ExceptionInformation[0] != 1 ||
        record->ExceptionInformation[1] != reinterpret_cast<ULONG_PTR>(lockedPage))
        return EXCEPTION_EXECUTE_HANDLER;
    mprotect(lockedPage, 4096, PROT_READ | PROT_WRITE);
    return EXCEPTION_CONTINUE_EXECUTION;
}

int WriteLockedPage() {
    lockedPage = static_cast<char*>(mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    SetUnhandledExceptionFilter(UnlockAndResume);
    *reinterpret_cast<volatile char*>(lockedPage) = 42;
    return lockedPage[0] == 42 ? 0 : 3;
}

// On a thread made as the installer makes its worker.
void OnWorker(void (*crash)()) {
    HANDLE worker = CreateThread(
        nullptr, 0,
        [](LPVOID parameter) -> DWORD {
            reinterpret_cast<void (*)()>(parameter)();
            return 0;
        },
        reinterpret_cast<LPVOID>(crash), 0, nullptr);
    WaitForSingleObject(worker, INFINITE);
}

// A read-only view of the program's own file past its headers, as the
// installer maps itself to read its resources: no part of its image.
void MapOwnFile() {
    int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, fd, 4096);
    close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    MapOwnFile();
    const char* kind = argc > 1 ? argv[1] : "";
    if (!strcmp(kind, "segv")) WriteNowhere();
    else if (!strcmp(kind, "worker-segv")) OnWorker(WriteNowhere);
    else if (!strcmp(kind, "abort")) abort();
    else if (!strcmp(kind, "divide")) return DivideByZero();
    else if (!strcmp(kind, "overflow")) return Recurse(0);
    else if (!strcmp(kind, "worker-overflow")) OnWorker([] { Recurse(0); });
    else if (!strcmp(kind, "exit")) return 0;
    else if (!strcmp(kind, "decline")) {
        SetUnhandledExceptionFilter(DeclineEverything);
        WriteNowhere();
    } else if (!strcmp(kind, "resume")) return WriteLockedPage();
    fputs("crash-probe: still alive\n", stderr);
    return 2;
}
