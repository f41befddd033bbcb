// DeleteFileW with the refusals of Windows: folders, read-only files, files
// held without FILE_SHARE_DELETE, running programs and mapped libraries.
#include <windows.h>

#include "kernel32/FileAttributes.h"
#include "kernel32/FileInUse.h"
#include "kernel32/FilePaths.h"
#include "prefix/FolderIndex.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace wincompat;

extern "C" BOOL WINAPI DeleteFileW(LPCWSTR fileName) {
    std::string unixPath;
    if (!ResolveFilePath(fileName, unixPath)) return FALSE;
    DWORD error = ERROR_SUCCESS;
    struct stat info;
    if (lstat(unixPath.c_str(), &info) != 0) error = ErrorForPath(errno, unixPath);
    else if (S_ISDIR(info.st_mode)) error = ERROR_ACCESS_DENIED;
    else if (!S_ISLNK(info.st_mode) && (ReadFileAttributes(unixPath) & FILE_ATTRIBUTE_READONLY))
        error = ERROR_ACCESS_DENIED;
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    FileInUse use(unixPath);
    use.Lock();
    if (use.DeleteDenied()) error = ERROR_SHARING_VIOLATION;
    else if (use.ImageInUse()) error = ERROR_ACCESS_DENIED;
    else if (unlink(unixPath.c_str()) != 0) error = ErrorForPath(errno, unixPath);
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    NoteNameRemoved(unixPath);
    return TRUE;
}
