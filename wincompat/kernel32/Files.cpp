// Folders, attributes and the standard locations of kernel32.
#include <windows.h>

#include "advapi32/FileSecurityInheritance.h"
#include "kernel32/FileAttributes.h"
#include "kernel32/WideBuffer.h"
#include "prefix/FolderIndex.h"
#include "prefix/Machine.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wchar.h>

using namespace wincompat;

namespace {

// CreateDirectoryW accepts 12 characters less than other calls, leaving room
// for an 8.3 file name inside the new folder.
constexpr size_t kDirectoryPathLimit = MAX_PATH - 12;

// A missing parent is "path not found"; only the last element is "file not found".
DWORD ErrorForMissingPath(const std::string& unixPath) {
    size_t slash = unixPath.rfind('/');
    struct stat info;
    if (slash != std::string::npos && slash > 0 && stat(unixPath.substr(0, slash).c_str(), &info) != 0)
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

std::wstring ProfileFolder() { return L"C:\\Users\\" + UserName(); }

}  // namespace

extern "C" BOOL WINAPI CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes) {
    std::string unixPath;
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!pathName || !DosToUnix(pathName, unixPath, &error, kDirectoryPathLimit)) {
        SetLastError(error);
        return FALSE;
    }
    if (mkdir(unixPath.c_str(), 0777) != 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return FALSE;
    }
    NoteNameAdded(unixPath);
    InheritFolderSecurity(unixPath);
    return TRUE;
}

extern "C" BOOL WINAPI RemoveDirectoryW(LPCWSTR pathName) {
    std::string unixPath;
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!pathName || !DosToUnix(pathName, unixPath, &error)) {
        SetLastError(error);
        return FALSE;
    }
    struct stat info;
    if (lstat(unixPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // A link to a folder is a directory link: removing it removes the
        // link alone, never the folder it points to.
        struct stat target;
        if (stat(unixPath.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        if (unlink(unixPath.c_str()) != 0) {
            SetLastError(ErrorFromErrno(errno));
            return FALSE;
        }
        NoteNameRemoved(unixPath);
        return TRUE;
    }
    if (lstat(unixPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (rmdir(unixPath.c_str()) != 0) {
        SetLastError(errno == ENOENT ? ErrorForMissingPath(unixPath) : ErrorFromErrno(errno));
        return FALSE;
    }
    NoteNameRemoved(unixPath);
    return TRUE;
}

extern "C" DWORD WINAPI GetFileAttributesW(LPCWSTR fileName) {
    std::string unixPath;
    DWORD error = ERROR_PATH_NOT_FOUND;
    PathEnd end = PathEnd::Unknown;
    if (!fileName || !MapDosPath(fileName, unixPath, &error, end)) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    // The lookup has just found the folder without the name: no need to ask again.
    if (end == PathEnd::Missing) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = ReadFileAttributes(unixPath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        SetLastError(errno == ENOENT ? ErrorForMissingPath(unixPath) : ErrorFromErrno(errno));
    return attributes;
}

extern "C" BOOL WINAPI SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes) {
    std::string unixPath;
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!fileName || !DosToUnix(fileName, unixPath, &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (!WriteFileAttributes(unixPath, fileAttributes)) {
        SetLastError(errno == ENOENT ? ErrorForMissingPath(unixPath) : ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

extern "C" DWORD WINAPI GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
    return CopyPathResult(ProfileFolder() + L"\\AppData\\Local\\Temp\\", buffer, bufferLength);
}

extern "C" DWORD WINAPI GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer) {
    std::wstring full;
    FullDosPath(L".", full, nullptr);
    return CopyPathResult(full, buffer, bufferLength);
}

extern "C" DWORD WINAPI GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer,
                                         LPWSTR* filePart) {
    std::wstring full;
    DWORD error = ERROR_INVALID_NAME;
    if (!fileName) {
        SetLastError(error);
        return 0;
    }
    // A "\\?\" path is already full: Windows hands it back untouched.
    if (wcsncmp(fileName, L"\\\\?\\", 4) == 0) full = fileName;
    else if (!FullDosPath(fileName, full, &error)) {
        SetLastError(error);
        return 0;
    }
    DWORD result = CopyPathResult(full, buffer, bufferLength);
    if (filePart && buffer && result < bufferLength) {
        size_t slash = full.rfind(L'\\');
        *filePart = slash == full.size() - 1 ? nullptr : buffer + slash + 1;
    }
    return result;
}

// Spelled as Windows spells them; the prefix's lower-case folder is found
// without regard to case.
extern "C" UINT WINAPI GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
    return CopyPathResult(L"C:\\Windows", buffer, size);
}

extern "C" UINT WINAPI GetSystemDirectoryW(LPWSTR buffer, UINT size) {
    return CopyPathResult(L"C:\\Windows\\system32", buffer, size);
}

// 64-bit Windows names its folder of 32-bit system files to every process;
// 32-bit Windows has none.
extern "C" UINT WINAPI GetSystemWow64DirectoryW(LPWSTR buffer, UINT size) {
    if (!CurrentMachine().NativeIs64Bit()) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return CopyPathResult(L"C:\\Windows\\SysWOW64", buffer, size);
}
