// An open file handle: the descriptor (closed with the object, which drops
// its share locks) and the rights it was opened with.
#pragma once

#include "kernel32/Handles.h"
#include "kernel32/ShareMode.h"

#include <atomic>
#include <memory>

namespace wincompat {

class FileObject : public KernelObject {
public:
    FileObject(int fd, FileRights rights, bool inheritable)
        : fd_(fd), rights_(rights), inheritable_(inheritable) {}
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Descriptor() const { return fd_; }
    const FileRights& Rights() const { return rights_; }
    // Opened with bInheritHandle: the descriptor lacks O_CLOEXEC, so a child
    // started with inherited handles gets it (and its share locks).
    bool Inheritable() const { return inheritable_; }
    // After the handle's first write the file is marked for backup (ARCHIVE), as Windows marks it.
    void NoteWritten();

private:
    int fd_;
    FileRights rights_;
    bool inheritable_;
    std::atomic_flag written_ = ATOMIC_FLAG_INIT;
};

// The file behind a handle; null with ERROR_INVALID_HANDLE otherwise.
std::shared_ptr<FileObject> FindFile(HANDLE handle);

}  // namespace wincompat
