#include "prefix/ByteLocks.h"

#include <errno.h>
#include <fcntl.h>

namespace wincompat {

namespace {

struct flock OneByte(off_t byte, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return lock;
}

short TypeOf(ByteLock kind) { return kind == ByteLock::kShared ? F_RDLCK : F_WRLCK; }

}  // namespace

bool TryLockByte(int fd, off_t byte, ByteLock kind) {
    struct flock lock = OneByte(byte, TypeOf(kind));
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool WaitLockByte(int fd, off_t byte, ByteLock kind) {
    for (;;) {
        struct flock lock = OneByte(byte, TypeOf(kind));
        if (fcntl(fd, F_OFD_SETLKW, &lock) == 0) return true;
        if (errno != EINTR) return false;
    }
}

void UnlockByte(int fd, off_t byte) {
    struct flock lock = OneByte(byte, F_UNLCK);
    fcntl(fd, F_OFD_SETLK, &lock);
}

// Asking about an exclusive lock finds locks of both kinds.
bool ByteLockedElsewhere(int fd, off_t byte) {
    struct flock lock = OneByte(byte, F_WRLCK);
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

}  // namespace wincompat
