#include <shlwapi.h>

#include "prefix/Prefix.h"

#include <sys/stat.h>

extern "C" BOOL WINAPI PathFileExistsW(LPCWSTR path) {
    std::string unixPath;
    DWORD error = ERROR_FILE_NOT_FOUND;
    if (!path || !*path || !wincompat::DosToUnix(path, unixPath, &error)) {
        SetLastError(error);
        return FALSE;
    }
    struct stat info;
    if (stat(unixPath.c_str(), &info) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}
