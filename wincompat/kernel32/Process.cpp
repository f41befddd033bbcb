// The current process and thread, its command line, and waiting.
#include <windows.h>

#include "kernel32/CommandLineText.h"
#include "kernel32/ProcessCommandLine.h"
#include "prefix/DurableWrites.h"
#include "prefix/HostFile.h"
#include "prefix/Prefix.h"

#include <stdio.h>
#include <time.h>
#include <unistd.h>
#include <sys/syscall.h>

#include <mutex>
#include <string>
#include <vector>

namespace wincompat {

namespace {

constexpr size_t kCommandLineLimit = 1 << 21;  // the kernel's own limit on arguments is 2 MB

std::mutex commandLineMutex;
std::wstring* commandLine = nullptr;  // set once, lives until exit

// Without an entry that set it (a test program), rebuild it from /proc.
std::wstring CommandLineFromProc() {
    std::string raw;
    ReadHostFile("/proc/self/cmdline", raw, kCommandLineLimit);
    std::vector<std::wstring> arguments;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        arguments.push_back(WideFromUtf8(raw.substr(start, end - start)));
        start = end + 1;
    }
    return InheritedCommandLine(JoinCommandLine(arguments));
}

}  // namespace

void SetProcessCommandLine(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(commandLineMutex);
    if (!commandLine) commandLine = new std::wstring(InheritedCommandLine(text));
}

}  // namespace wincompat

extern "C" LPWSTR WINAPI GetCommandLineW(void) {
    std::lock_guard<std::mutex> lock(wincompat::commandLineMutex);
    if (!wincompat::commandLine) wincompat::commandLine = new std::wstring(wincompat::CommandLineFromProc());
    return wincompat::commandLine->data();
}

// Ends the process at once: the program's static destructors do not run
// (other threads may still use what they would destroy); stdio is flushed.
extern "C" void WINAPI ExitProcess(UINT exitCode) {
    fflush(nullptr);
    wincompat::SyncReplacedFiles();  // _exit runs no exit hooks
    _exit(static_cast<int>(exitCode));
}

extern "C" DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

extern "C" DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }

extern "C" void WINAPI Sleep(DWORD milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0) {
    }
}
