// Clock queries.
#include <windows.h>

#include <time.h>

namespace {

// 100-ns ticks between 1601-01-01 and 1970-01-01.
constexpr uint64_t kUnixEpochTicks = 116444736000000000ull;

void ToSystemTime(const tm& calendar, long nanoseconds, LPSYSTEMTIME out) {
    out->wYear = static_cast<WORD>(calendar.tm_year + 1900);
    out->wMonth = static_cast<WORD>(calendar.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(calendar.tm_wday);
    out->wDay = static_cast<WORD>(calendar.tm_mday);
    out->wHour = static_cast<WORD>(calendar.tm_hour);
    out->wMinute = static_cast<WORD>(calendar.tm_min);
    out->wSecond = static_cast<WORD>(calendar.tm_sec);
    out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

}  // namespace

namespace {

// The current time on the local calendar or in UTC.
void CurrentCalendarTime(bool local, LPSYSTEMTIME systemTime) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm calendar;
    if (local) localtime_r(&now.tv_sec, &calendar);
    else gmtime_r(&now.tv_sec, &calendar);
    ToSystemTime(calendar, now.tv_nsec, systemTime);
}

}  // namespace

extern "C" void WINAPI GetLocalTime(LPSYSTEMTIME systemTime) { CurrentCalendarTime(true, systemTime); }

extern "C" void WINAPI GetSystemTime(LPSYSTEMTIME systemTime) { CurrentCalendarTime(false, systemTime); }

extern "C" void WINAPI GetSystemTimeAsFileTime(LPFILETIME fileTime) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t ticks = kUnixEpochTicks + static_cast<uint64_t>(now.tv_sec) * 10000000ull + now.tv_nsec / 100;
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

extern "C" DWORD WINAPI GetTickCount(void) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000ull + now.tv_nsec / 1000000);
}
