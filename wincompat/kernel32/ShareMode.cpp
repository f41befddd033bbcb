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

struct flock ByteLock(ShareByte byte, short type, off_t length = 1) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kBase + byte;
    lock.l_len = length;
    return lock;
}

// Another open file description holds a lock on the byte. Asking about a
// write lock finds every shared lock; this works on read-only descriptors.
bool Held(int fd, ShareByte byte) {
    struct flock lock = ByteLock(byte, F_WRLCK);
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

// A set of share bytes, one bit each.
using ByteSet = unsigned;

constexpr ByteSet Bit(ShareByte byte) { return 1u << byte; }

// Calls step(first, length) for each run of neighbouring bytes in the set,
// so one lock call covers a run; false as soon as a step answers false.
template <typename Step>
bool ForEachRun(ByteSet bytes, Step step) {
    for (int first = 0; first <= kImage; ++first) {
        if (!(bytes & (1u << first))) continue;
        int end = first;
        while (end + 1 <= kImage && (bytes & (1u << (end + 1)))) ++end;
        if (!step(static_cast<ShareByte>(first), static_cast<off_t>(end - first + 1))) return false;
        first = end;
    }
    return true;
}

// Another open file description holds a lock on some byte of the set.
bool AnyHeld(int fd, ByteSet bytes) {
    return !ForEachRun(bytes, [fd](ShareByte first, off_t length) {
        struct flock lock = ByteLock(first, F_WRLCK, length);
        return fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK;
    });
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
    ByteSet refusing = 0;
    if (rights.read) refusing |= Bit(kDenyRead);
    if (rights.write) refusing |= Bit(kDenyWrite) | Bit(kImage);
    if (rights.remove) refusing |= Bit(kDenyDelete);
    if (!(share & FILE_SHARE_READ)) refusing |= Bit(kAccessRead);
    if (!(share & FILE_SHARE_WRITE)) refusing |= Bit(kAccessWrite);
    if (!(share & FILE_SHARE_DELETE)) refusing |= Bit(kAccessDelete);
    return AnyHeld(fd, refusing);
}

bool TakeShareLocks(int fd, FileRights rights, DWORD share) {
    if (!rights.Any()) return true;
    ByteSet taken = 0;
    if (rights.read) taken |= Bit(kAccessRead);
    if (rights.write) taken |= Bit(kAccessWrite);
    if (rights.remove) taken |= Bit(kAccessDelete);
    if (!(share & FILE_SHARE_READ)) taken |= Bit(kDenyRead);
    if (!(share & FILE_SHARE_WRITE)) taken |= Bit(kDenyWrite);
    if (!(share & FILE_SHARE_DELETE)) taken |= Bit(kDenyDelete);
    return ForEachRun(taken, [fd](ShareByte first, off_t length) {
        struct flock lock = ByteLock(first, F_RDLCK, length);
        return fcntl(fd, F_OFD_SETLK, &lock) == 0;
    });
}

bool DeleteDenied(int fd) { return Held(fd, kDenyDelete); }

bool ImageHeld(int fd) { return Held(fd, kImage); }

bool TakeImageLock(int fd) { return Take(fd, kImage); }

}  // namespace wincompat
