#include "kernel32/FileObject.h"

#include "kernel32/FileAttributes.h"

#include <unistd.h>

namespace wincompat {

FileObject::~FileObject() { close(fd_); }

void FileObject::NoteWritten() {
    if (!written_.test_and_set()) MarkArchived(fd_);
}

std::shared_ptr<FileObject> FindFile(HANDLE handle) { return FindHandleOf<FileObject>(handle); }

}  // namespace wincompat
