// A program that installs the crash dump writer the way the installer does
// and then dies in the way its argument names.
#include "report/CrashDumpWriter.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <thread>

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

void OnWorker(void (*crash)()) {
    std::thread worker(crash);
    worker.join();
}

}  // namespace

int main(int argc, char** argv) {
    const char* kind = argc > 1 ? argv[1] : "";
    if (!strcmp(kind, "segv")) WriteNowhere();
    else if (!strcmp(kind, "worker-segv")) OnWorker(WriteNowhere);
    else if (!strcmp(kind, "abort")) abort();
    else if (!strcmp(kind, "divide")) return DivideByZero();
    else if (!strcmp(kind, "overflow")) return Recurse(0);
    else if (!strcmp(kind, "worker-overflow")) OnWorker([] { Recurse(0); });
    else if (!strcmp(kind, "exit")) return 0;
    fputs("crash-probe: still alive\n", stderr);
    return 2;
}
