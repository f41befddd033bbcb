// DOS attributes as Wine keeps them: read-only as the write bits, hidden and
// system in the user.DOSATTRIB extended attribute ("0x<hex>").
//
// Wine reports every file as ARCHIVE; Windows clears that bit when told to
// and sets it again when the file is written. A file whose archive bit is
// clear carries FILE_ATTRIBUTE_NORMAL in the extended attribute as the mark,
// a bit Wine ignores. Folders start without ARCHIVE and store it when set.
#pragma once

#include <windef.h>

#include <sys/types.h>

#include <string>

namespace wincompat {

// INVALID_FILE_ATTRIBUTES (errno set) when the file does not exist.
DWORD ReadFileAttributes(const std::string& unixPath);
bool WriteFileAttributes(const std::string& unixPath, DWORD attributes);

// The attributes of an entry that is not a symbolic link, from its own mode
// and the DOS bits stored at attributePath: a link there is not followed,
// except for a handle's pinned name (/proc/self/fd/N), which leads to
// exactly the object the handle holds.
// A fifo, socket or device is a reparse point, as WSL's special files are on
// NTFS: it is never a file whose data can be read.
DWORD EntryAttributes(mode_t mode, const std::string& attributePath, bool pinned = false);
// The reparse tag of such a special file; 0 for anything else.
DWORD SpecialFileReparseTag(mode_t mode);
// Sets ARCHIVE again on a written file whose archive bit was cleared.
void MarkArchived(int fd);

}  // namespace wincompat
