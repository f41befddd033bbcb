#include "user32/FrameTrace.h"

#include "prefix/HostFile.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace wincompat {

namespace {

bool Traced() {
    const char* trace = getenv("WINCOMPAT_TRACE");
    return trace && strstr(trace, "frame");
}

// Milliseconds since the kernel started this process (field 22 of
// /proc/self/stat, in clock ticks since boot).
double MillisecondsSinceStart() {
    std::string text;
    ReadHostFile("/proc/self/stat", text, 4096);
    size_t end = text.rfind(')');
    if (end == std::string::npos) return -1;
    // Fields 3 onwards follow the command's closing parenthesis, one blank apart.
    const std::string fields = text.substr(end + 1);
    size_t at = 0;
    for (int index = 2; index < 22 && at != std::string::npos; ++index) {
        at = fields.find(' ', at);
        if (at != std::string::npos) ++at;
    }
    if (at == std::string::npos) return -1;
    const char* field = fields.c_str() + at;
    char* parsed = nullptr;
    double startTicks = strtod(field, &parsed);
    if (parsed == field) return -1;
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

}  // namespace

void NoteFramePainted() {
    static std::atomic<bool> noted{false};
    if (noted.exchange(true) || !Traced()) return;
    fprintf(stderr, "wincompat: first frame after %.1f ms\n", MillisecondsSinceStart());
}

}  // namespace wincompat
