// Path resolution and the error codes Windows gives for missing files, shared
// by the file functions.
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

// The unix path of a Windows path accepted by the file functions (MAX_PATH
// limit); on failure the last error is set and false returned.
bool ResolveFilePath(LPCWSTR path, std::string& unixPath);

// ERROR_PATH_NOT_FOUND when a parent folder is missing, else ERROR_FILE_NOT_FOUND.
DWORD MissingFileError(const std::string& unixPath);

// The last error for a failed system call on unixPath.
DWORD ErrorForPath(int error, const std::string& unixPath);

}  // namespace wincompat
