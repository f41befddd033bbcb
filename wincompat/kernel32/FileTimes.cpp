// GetFileTime and SetFileTime. Linux keeps no settable creation time: it is
// read from the birth time where the file system has one and never written.
#include "kernel32/FileTimes.h"

#include <windows.h>

#include "kernel32/FileObject.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace wincompat;

namespace wincompat {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;  // 1970-01-01 in FILETIME ticks

}  // namespace

FILETIME FileTimeFromUnix(const timespec& time) {
    int64_t ticks = kUnixEpochTicks + int64_t(time.tv_sec) * kTicksPerSecond + time.tv_nsec / 100;
    if (ticks < 0) ticks = 0;
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(uint64_t(ticks));
    result.dwHighDateTime = static_cast<DWORD>(uint64_t(ticks) >> 32);
    return result;
}

timespec UnixFromFileTime(const FILETIME& time) {
    int64_t ticks = static_cast<int64_t>((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    int64_t sinceEpoch = ticks - kUnixEpochTicks;
    int64_t seconds = sinceEpoch / kTicksPerSecond;
    int64_t rest = sinceEpoch % kTicksPerSecond;
    if (rest < 0) {  // round toward the past for times before 1970
        rest += kTicksPerSecond;
        --seconds;
    }
    timespec result;
    result.tv_sec = static_cast<time_t>(seconds);
    result.tv_nsec = static_cast<long>(rest * 100);
    return result;
}

}  // namespace wincompat

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// 0 and all-ones both mean "leave this time as it is".
timespec Requested(const FILETIME* time) {
    timespec omit = {0, UTIME_OMIT};
    if (!time) return omit;
    bool zero = time->dwLowDateTime == 0 && time->dwHighDateTime == 0;
    bool ones = time->dwLowDateTime == 0xFFFFFFFF && time->dwHighDateTime == 0xFFFFFFFF;
    return zero || ones ? omit : UnixFromFileTime(*time);
}

}  // namespace

extern "C" BOOL WINAPI GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime,
                                   LPFILETIME lastWriteTime) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return FALSE;
    struct statx info;
    if (statx(object->Descriptor(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return Fail(ErrorFromErrno(errno));
    auto convert = [](const statx_timestamp& stamp) {
        return FileTimeFromUnix(timespec{static_cast<time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec)});
    };
    if (creationTime) *creationTime = convert((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
    if (lastAccessTime) *lastAccessTime = convert(info.stx_atime);
    if (lastWriteTime) *lastWriteTime = convert(info.stx_mtime);
    return TRUE;
}

extern "C" BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                                   const FILETIME* lastWriteTime) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return FALSE;
    if (!object->Rights().write) return Fail(ERROR_ACCESS_DENIED);  // needs FILE_WRITE_ATTRIBUTES
    timespec times[2] = {Requested(lastAccessTime), Requested(lastWriteTime)};
    if (futimens(object->Descriptor(), times) != 0) return Fail(ErrorFromErrno(errno));
    return TRUE;
}
