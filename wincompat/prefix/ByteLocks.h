// Locks on single bytes of a file that belong to its open file description
// (F_OFD_*): every thread of a process shares them through one descriptor, a
// forked child shares them until it runs another program (descriptors are
// O_CLOEXEC), and the kernel drops them when the last descriptor closes, also
// when the process is killed. Unrelated to flock() locks on the same file.
#pragma once

#include <sys/types.h>

namespace wincompat {

enum class ByteLock { kShared, kExclusive };

// False at once when another open file holds a conflicting lock.
bool TryLockByte(int fd, off_t byte, ByteLock kind);
// Blocks until the lock is granted; false only on an error.
bool WaitLockByte(int fd, off_t byte, ByteLock kind);
void UnlockByte(int fd, off_t byte);
// Another open file holds a lock on the byte (of either kind).
bool ByteLockedElsewhere(int fd, off_t byte);

}  // namespace wincompat
