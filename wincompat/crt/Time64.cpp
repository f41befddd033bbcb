// 64-bit time functions of the Microsoft C runtime.
#include <time.h>

extern "C" __time64_t _time64(__time64_t* timer) {
    __time64_t now = static_cast<__time64_t>(time(nullptr));
    if (timer) *timer = now;
    return now;
}

extern "C" struct tm* _localtime64(const __time64_t* timer) {
    // The runtime keeps one result per thread.
    thread_local struct tm result;
    if (!timer || *timer < 0) return nullptr;
    time_t value = static_cast<time_t>(*timer);
    return localtime_r(&value, &result);
}
