#include "user32/FrameTrace.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
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
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t end = text.rfind(')');
    if (end == std::string::npos) return -1;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    for (int index = 3; index <= 22 && fields >> field; ++index) {}
    double startTicks = std::stod(field);
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
