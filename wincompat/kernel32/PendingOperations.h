// The file operations Windows carries out at the next restart: the
// PendingFileRenameOperations value (REG_MULTI_SZ) under Session Manager,
// pairs of "\??\C:\source" and "" (delete), "\??\C:\target" (rename) or
// "!\??\C:\target" (rename replacing an existing file).
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace wincompat {

struct PendingOperation {
    std::wstring source;  // a full DOS path
    std::wstring target;  // a full DOS path; empty for a delete
    bool replace = false;
};

// Serialises read-modify-write of the value between processes.
class PendingOperationsLock {
public:
    PendingOperationsLock();
    ~PendingOperationsLock();
    PendingOperationsLock(const PendingOperationsLock&) = delete;
    PendingOperationsLock& operator=(const PendingOperationsLock&) = delete;

private:
    int fd_ = -1;
};

// The recorded operations in order; a missing value is an empty list.
LONG ReadPendingOperations(std::vector<PendingOperation>& operations);

// Stores the list (removing the value when it is empty).
LONG WritePendingOperations(const std::vector<PendingOperation>& operations);

// Appends one operation, as MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT does.
LONG AppendPendingOperation(const PendingOperation& operation);

// The stored strings and back.
std::vector<std::wstring> EncodePendingOperations(const std::vector<PendingOperation>& operations);
std::vector<PendingOperation> DecodePendingOperations(const std::vector<std::wstring>& strings);

}  // namespace wincompat
