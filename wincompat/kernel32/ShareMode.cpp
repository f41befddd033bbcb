#include "kernel32/ShareMode.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace wincompat {

namespace {

// 2^62: no real file reaches it, and locks there leave the size alone.
constexpr off_t kBase = off_t(1) << 62;

enum ShareByte : off_t {
    kAccessRead = 0,
    kAccessWrite,
    kAccessDelete,
    kDenyRead,
    kDenyWrite,
    kDenyDelete,
    kImage,
};

struct flock ByteLock(ShareByte byte, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kBase + byte;
    lock.l_len = 1;
    return lock;
}

// Another open file description holds a lock on the byte. Asking about a
// write lock finds every shared lock; this works on read-only descriptors.
bool Held(int fd, ShareByte byte) {
    struct flock lock = ByteLock(byte, F_WRLCK);
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

bool Take(int fd, ShareByte byte) {
    struct flock lock = ByteLock(byte, F_RDLCK);
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

FileRights RightsFromAccess(DWORD access) {
    FileRights rights;
    rights.read = (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
    rights.write = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
    rights.remove = (access & (DELETE | GENERIC_ALL)) != 0;
    return rights;
}

ShareGuard::ShareGuard(int fd) : fd_(fd) {
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

ShareGuard::~ShareGuard() { flock(fd_, LOCK_UN); }

bool ShareConflicts(int fd, FileRights rights, DWORD share) {
    if (!rights.Any()) return false;
    if (rights.read && Held(fd, kDenyRead)) return true;
    if (rights.write && (Held(fd, kDenyWrite) || ImageHeld(fd))) return true;
    if (rights.remove && Held(fd, kDenyDelete)) return true;
    if (!(share & FILE_SHARE_READ) && Held(fd, kAccessRead)) return true;
    if (!(share & FILE_SHARE_WRITE) && Held(fd, kAccessWrite)) return true;
    if (!(share & FILE_SHARE_DELETE) && Held(fd, kAccessDelete)) return true;
    return false;
}

bool TakeShareLocks(int fd, FileRights rights, DWORD share) {
    if (!rights.Any()) return true;
    struct Wanted {
        bool take;
        ShareByte byte;
    } wanted[] = {
        {rights.read, kAccessRead},
        {rights.write, kAccessWrite},
        {rights.remove, kAccessDelete},
        {!(share & FILE_SHARE_READ), kDenyRead},
        {!(share & FILE_SHARE_WRITE), kDenyWrite},
        {!(share & FILE_SHARE_DELETE), kDenyDelete},
    };
    for (const Wanted& entry : wanted)
        if (entry.take && !Take(fd, entry.byte)) return false;
    return true;
}

bool DeleteDenied(int fd) { return Held(fd, kDenyDelete); }

bool ImageHeld(int fd) { return Held(fd, kImage); }

bool TakeImageLock(int fd) { return Take(fd, kImage); }

}  // namespace wincompat
