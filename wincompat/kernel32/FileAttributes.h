// DOS attributes as Wine keeps them: read-only as the write bits, hidden and
// system in the user.DOSATTRIB extended attribute ("0x<hex>").
//
// Wine reports every file as ARCHIVE; Windows clears that bit when told to
// and sets it again when the file is written. A file whose archive bit is
// clear carries FILE_ATTRIBUTE_NORMAL in the extended attribute as the mark,
// a bit Wine ignores. Folders start without ARCHIVE and store it when set.
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

// INVALID_FILE_ATTRIBUTES (errno set) when the file does not exist.
DWORD ReadFileAttributes(const std::string& unixPath);
bool WriteFileAttributes(const std::string& unixPath, DWORD attributes);
// Sets ARCHIVE again on a written file whose archive bit was cleared.
void MarkArchived(int fd);

}  // namespace wincompat
