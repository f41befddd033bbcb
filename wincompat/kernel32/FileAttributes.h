// DOS attributes as Wine keeps them: read-only as the write bits, hidden and
// system in the user.DOSATTRIB extended attribute.
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

// INVALID_FILE_ATTRIBUTES (errno set) when the file does not exist.
DWORD ReadFileAttributes(const std::string& unixPath);
bool WriteFileAttributes(const std::string& unixPath, DWORD attributes);

}  // namespace wincompat
