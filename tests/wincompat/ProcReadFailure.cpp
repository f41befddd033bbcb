// An LD_PRELOAD shim that makes a process's /proc entries fail as they do
// when the process ends in the middle of a read: every file opened under the
// path prefix in PROC_READ_FAILURE gives at most 8 bytes, then fails with
// ESRCH. It makes the race of a process list with ending processes certain.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>

namespace {

constexpr int kTracked = 4096;
std::atomic<int> state[kTracked];  // 0: untouched, 1: opened under the prefix, 2: its first read done

bool Failing(const char* path) {
    const char* prefix = getenv("PROC_READ_FAILURE");
    return path && prefix && *prefix && strncmp(path, prefix, strlen(prefix)) == 0;
}

int Tracked(int fd, const char* path) {
    if (fd >= 0 && fd < kTracked) state[fd] = Failing(path) ? 1 : 0;
    return fd;
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

mode_t ModeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

// va_start must sit in each variadic function; the rest is shared.
#define MODE_ARGUMENT(flags) \
    va_list arguments; \
    va_start(arguments, flags); \
    mode_t mode = ModeOf(flags, arguments); \
    va_end(arguments)

int open(const char* path, int flags, ...) {
    MODE_ARGUMENT(flags);
    static auto real = Next<int (*)(const char*, int, ...)>("open");
    return Tracked(real(path, flags, mode), path);
}

int open64(const char* path, int flags, ...) {
    MODE_ARGUMENT(flags);
    static auto real = Next<int (*)(const char*, int, ...)>("open64");
    return Tracked(real(path, flags, mode), path);
}

int openat(int folder, const char* path, int flags, ...) {
    MODE_ARGUMENT(flags);
    static auto real = Next<int (*)(int, const char*, int, ...)>("openat");
    return Tracked(real(folder, path, flags, mode), path);
}

ssize_t read(int fd, void* buffer, size_t count) {
    static auto real = Next<ssize_t (*)(int, void*, size_t)>("read");
    if (fd < 0 || fd >= kTracked || state[fd] == 0) return real(fd, buffer, count);
    if (state[fd] == 2) {
        errno = ESRCH;
        return -1;
    }
    state[fd] = 2;
    return real(fd, buffer, count < 8 ? count : 8);
}

int close(int fd) {
    static auto real = Next<int (*)(int)>("close");
    if (fd >= 0 && fd < kTracked) state[fd] = 0;
    return real(fd);
}

}  // extern "C"
