#include "kernel32/FileObject.h"

#include <unistd.h>

namespace wincompat {

FileObject::~FileObject() { close(fd_); }

std::shared_ptr<FileObject> FindFile(HANDLE handle) { return FindHandleOf<FileObject>(handle); }

}  // namespace wincompat
