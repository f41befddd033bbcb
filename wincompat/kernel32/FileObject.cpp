#include "kernel32/FileObject.h"

#include "kernel32/DirectoryListing.h"
#include "kernel32/FileAttributes.h"

#include <unistd.h>

namespace wincompat {

FileObject::~FileObject() {
    listing_.reset();
    close(fd_);
}

void FileObject::ListingDeleter::operator()(DirectoryListing* listing) const { delete listing; }

DirectoryListing& FileObject::Listing() {
    std::call_once(listingMade_, [this] { listing_.reset(new DirectoryListing(fd_)); });
    return *listing_;
}

std::string FileObject::PinnedPath() const { return "/proc/self/fd/" + std::to_string(fd_); }

void FileObject::NoteWritten() {
    if (!written_.test_and_set()) MarkArchived(fd_);
}

std::shared_ptr<FileObject> FindFile(HANDLE handle) { return FindHandleOf<FileObject>(handle); }

}  // namespace wincompat
