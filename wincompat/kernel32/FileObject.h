// An open file handle: the descriptor (closed with the object, which drops
// its share locks), the access it was granted and the share rights among it.
// A handle opened for no data holds an O_PATH descriptor: it pins the object
// without opening it for I/O, so a fifo or device is never read or blocked on.
#pragma once

#include "kernel32/Handles.h"
#include "kernel32/ShareMode.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace wincompat {

class DirectoryListing;

class FileObject : public KernelObject {
public:
    FileObject(int fd, DWORD access, bool inheritable)
        : fd_(fd), access_(access), rights_(RightsFromAccess(access)), inheritable_(inheritable) {}
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Descriptor() const { return fd_; }
    const FileRights& Rights() const { return rights_; }
    // The access mask granted, generic rights mapped to the file rights.
    DWORD Access() const { return access_; }
    // A name that reaches exactly the object the descriptor holds, even an
    // O_PATH one, for the calls that take a path (xattrs, chmod).
    std::string PinnedPath() const;
    // Opened with bInheritHandle: the descriptor lacks O_CLOEXEC, so a child
    // started with inherited handles gets it (and its share locks).
    bool Inheritable() const { return inheritable_; }
    // After the handle's first write the file is marked for backup (ARCHIVE), as Windows marks it.
    void NoteWritten();
    // The enumeration of a folder handle (GetFileInformationByHandleEx), made on first use.
    DirectoryListing& Listing();

private:
    int fd_;
    DWORD access_;
    FileRights rights_;
    bool inheritable_;
    std::atomic_flag written_ = ATOMIC_FLAG_INIT;
    std::once_flag listingMade_;
    struct ListingDeleter {
        void operator()(DirectoryListing* listing) const;
    };
    std::unique_ptr<DirectoryListing, ListingDeleter> listing_;
};

// The file behind a handle; null with ERROR_INVALID_HANDLE otherwise.
std::shared_ptr<FileObject> FindFile(HANDLE handle);

}  // namespace wincompat
