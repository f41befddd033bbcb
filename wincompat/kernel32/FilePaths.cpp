#include "kernel32/FilePaths.h"

#include <windows.h>

#include "prefix/Prefix.h"

#include <errno.h>
#include <sys/stat.h>

namespace wincompat {

bool ResolveFilePath(LPCWSTR path, std::string& unixPath) {
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!path || !*path || !DosToUnix(path, unixPath, &error)) {
        SetLastError(error);
        return false;
    }
    return true;
}

DWORD MissingFileError(const std::string& unixPath) {
    size_t slash = unixPath.rfind('/');
    struct stat info;
    if (slash != std::string::npos && slash > 0 && stat(unixPath.substr(0, slash).c_str(), &info) != 0)
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

DWORD ErrorForPath(int error, const std::string& unixPath) {
    return error == ENOENT ? MissingFileError(unixPath) : ErrorFromErrno(error);
}

}  // namespace wincompat
