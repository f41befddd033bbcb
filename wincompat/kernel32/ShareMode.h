// Windows share modes between processes, kept as open file description locks
// on reserved bytes far past any real data. Each handle holds shared locks on
// the "access" bytes of what it opened and on the "deny" bytes of every share
// it refused; an opener tests the bytes its request would conflict with. The
// locks belong to the inode, vanish when the last descriptor of the holder
// closes (also when it is killed) and work on read-only descriptors.
#pragma once

#include <windef.h>

namespace wincompat {

// What a handle may do, reduced to the three rights that share modes govern.
struct FileRights {
    bool read = false;
    bool write = false;
    bool remove = false;  // DELETE: also needed to rename
    // A handle without any of them (attributes only) takes no part in sharing.
    bool Any() const { return read || write || remove; }
};

FileRights RightsFromAccess(DWORD desiredAccess);

// flock(LOCK_EX) on a descriptor for as long as it lives: makes a test of the
// share bytes and what follows from it (setting locks, unlinking, renaming)
// one step for every cooperating process.
class ShareGuard {
public:
    explicit ShareGuard(int fd);
    ~ShareGuard();
    ShareGuard(const ShareGuard&) = delete;
    ShareGuard& operator=(const ShareGuard&) = delete;

private:
    int fd_;
};

// True when another handle's rights or shares refuse this request.
bool ShareConflicts(int fd, FileRights rights, DWORD shareMode);

// Takes the locks that make this handle's rights and refusals visible.
bool TakeShareLocks(int fd, FileRights rights, DWORD shareMode);

// Some handle was opened without FILE_SHARE_DELETE: no delete, no rename.
bool DeleteDenied(int fd);

// The file is mapped as an image by LoadLibrary (or a stand-in): it may be
// renamed but neither deleted nor opened for writing.
bool ImageHeld(int fd);
bool TakeImageLock(int fd);

}  // namespace wincompat
