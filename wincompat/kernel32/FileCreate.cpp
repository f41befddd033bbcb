// CreateFileW: dispositions, attributes and share modes as Windows applies them.
#include <windows.h>

#include "advapi32/FileSecurityInheritance.h"
#include "kernel32/FileAttributes.h"
#include "kernel32/FileObject.h"
#include "kernel32/FilePaths.h"
#include "kernel32/ShareMode.h"
#include "prefix/FolderIndex.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace wincompat;

namespace {

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct Request {
    std::string unixPath;
    DWORD access;  // generic rights mapped
    FileRights rights;
    DWORD share;
    DWORD disposition;
    DWORD attributes;
    bool inheritable;
};

// The generic rights as the file rights they stand for.
DWORD MapGenericAccess(DWORD access) {
    DWORD mapped = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
    if (access & GENERIC_READ) mapped |= FILE_GENERIC_READ;
    if (access & GENERIC_WRITE) mapped |= FILE_GENERIC_WRITE;
    if (access & GENERIC_EXECUTE) mapped |= FILE_GENERIC_EXECUTE;
    if (access & (GENERIC_ALL | MAXIMUM_ALLOWED)) mapped |= FILE_ALL_ACCESS;
    return mapped;
}

// Rights that reach a file's data, its name (DELETE) or its times; a handle
// asking for none of them only reads attributes or reads and sets security.
constexpr DWORD kDataAccess =
    FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_EXECUTE | DELETE | FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA;

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

bool Creates(DWORD disposition) {
    return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

// Refusals Windows makes before touching an existing file; 0 when none. A
// fifo, socket or device is a reparse point that only
// FILE_FLAG_OPEN_REPARSE_POINT opens (for no data), as WSL's special files are.
DWORD CheckExisting(const Request& request, const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
    if (!S_ISREG(info.st_mode)) return ERROR_CANT_ACCESS_FILE;
    if (request.disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
    DWORD current = ReadFileAttributes(request.unixPath);
    bool overwrites = request.disposition == CREATE_ALWAYS || request.disposition == TRUNCATE_EXISTING;
    if ((current & FILE_ATTRIBUTE_READONLY) && (request.rights.write || overwrites)) return ERROR_ACCESS_DENIED;
    // Overwriting a hidden or system file must restate those attributes.
    DWORD kept = current & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (request.disposition == CREATE_ALWAYS && (request.attributes & kept) != kept) return ERROR_ACCESS_DENIED;
    return 0;
}

// A write handle is opened read-write too: share locks need a readable
// descriptor. A file that may be written but not read gets a handle without them.
// An existing name is opened without blocking, in case a fifo took the
// file's place since it was looked at; HoldsPlainFile then checks.
int OpenDescriptor(const Request& request, bool exists) {
    int flags = (request.inheritable ? 0 : O_CLOEXEC) | O_NOCTTY;
    if (!exists && Creates(request.disposition)) flags |= O_CREAT | O_EXCL;
    if (exists) flags |= O_NONBLOCK;
    const char* path = request.unixPath.c_str();
    int fd = open(path, flags | (request.rights.write ? O_RDWR : O_RDONLY), 0666);
    if (fd < 0 && errno == EACCES && request.rights.write && !request.rights.read)
        fd = open(path, flags | O_WRONLY, 0666);
    return fd;
}

// The descriptor holds a regular file; its I/O is made blocking again, as
// handles without FILE_FLAG_OVERLAPPED are.
bool HoldsPlainFile(int fd) {
    struct stat info;
    // Of the flags F_SETFL changes, only O_NONBLOCK was ever set here.
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && fcntl(fd, F_SETFL, 0) == 0;
}

// Tests and takes the share locks as one step; false on a conflict.
bool ClaimShares(int fd, const Request& request) {
    ShareGuard guard(fd);
    if (ShareConflicts(fd, request.rights, request.share)) return false;
    TakeShareLocks(fd, request.rights, request.share);
    return true;
}

// A file this call has just made: fd came from an O_EXCL open, so it is new,
// plain and holds nothing yet but what its folder passes on.
HANDLE Created(const Request& request, int fd) {
    if (!ClaimShares(fd, request)) {
        close(fd);
        return Fail(ERROR_SHARING_VIOLATION);
    }
    NoteNameAdded(request.unixPath);
    InheritFolderSecurity(fd, request.unixPath);
    // A new file is marked for backup (ARCHIVE) already; only other attributes are stored.
    if (request.attributes & kSettableAttributes & ~FILE_ATTRIBUTE_ARCHIVE)
        WriteFileAttributes(request.unixPath, (request.attributes & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE);
    HANDLE handle = AddHandle(std::make_shared<FileObject>(fd, request.access, request.inheritable));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

HANDLE Open(const Request& request) {
    // Where the disposition may create, creating is tried first: one call
    // that also tells whether the name was taken.
    if (Creates(request.disposition)) {
        int fd = OpenDescriptor(request, false);
        if (fd >= 0) return Created(request, fd);
        if (errno != EEXIST) return Fail(ErrorForPath(errno, request.unixPath));
    }
    struct stat info;
    if (stat(request.unixPath.c_str(), &info) != 0) {
        if (errno != ENOENT) return Fail(ErrorFromErrno(errno));
        // Taken a moment ago yet gone now, or a link to nothing, which is never created through.
        if (Creates(request.disposition)) return Fail(ERROR_FILE_EXISTS);
        return Fail(MissingFileError(request.unixPath));
    }
    if (DWORD refusal = CheckExisting(request, info)) return Fail(refusal);

    int fd = OpenDescriptor(request, true);
    if (fd < 0) return Fail(ErrorForPath(errno, request.unixPath));
    if (!HoldsPlainFile(fd)) {
        close(fd);
        return Fail(ERROR_CANT_ACCESS_FILE);
    }
    if (!ClaimShares(fd, request)) {
        close(fd);
        return Fail(ERROR_SHARING_VIOLATION);
    }
    bool overwrites = request.disposition == CREATE_ALWAYS || request.disposition == TRUNCATE_EXISTING;
    if (overwrites && ftruncate(fd, 0) != 0) {
        int error = errno;
        close(fd);
        return Fail(ErrorFromErrno(error));
    }
    // An overwritten file is marked for backup whatever the caller asked for.
    if (request.disposition == CREATE_ALWAYS)
        WriteFileAttributes(request.unixPath, (request.attributes & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE);

    HANDLE handle = AddHandle(std::make_shared<FileObject>(fd, request.access, request.inheritable));
    bool found = request.disposition == CREATE_ALWAYS || request.disposition == OPEN_ALWAYS;
    SetLastError(found ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// A handle for no data: an O_PATH descriptor, taking and meeting no share
// mode, as Windows checks sharing only for data and delete access. A folder
// needs FILE_FLAG_BACKUP_SEMANTICS; FILE_FLAG_OPEN_REPARSE_POINT holds a link
// at the end of the path itself. A folder's handle may list it too; asked of
// a file, that is reading its data, which the ordinary open does.
HANDLE OpenWithoutData(const Request& request, bool listing) {
    int flags = O_PATH | (request.inheritable ? 0 : O_CLOEXEC);
    const bool reparsePoint = request.attributes & FILE_FLAG_OPEN_REPARSE_POINT;
    if (reparsePoint) flags |= O_NOFOLLOW;
    int fd = open(request.unixPath.c_str(), flags);
    if (fd < 0) return Fail(ErrorForPath(errno, request.unixPath));
    const bool backup = request.attributes & FILE_FLAG_BACKUP_SEMANTICS;
    struct stat info;
    if (listing || !backup) {
        if (fstat(fd, &info) != 0 || (S_ISDIR(info.st_mode) && !backup)) {
            close(fd);
            return Fail(ERROR_ACCESS_DENIED);
        }
        // A link or special file opened as itself has no data to read.
        const bool itself = S_ISLNK(info.st_mode) || (reparsePoint && SpecialFileReparseTag(info.st_mode));
        if (listing && !S_ISDIR(info.st_mode) && !itself) {
            close(fd);
            return Open(request);
        }
    }
    HANDLE handle = AddHandle(std::make_shared<FileObject>(fd, request.access, request.inheritable));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

}  // namespace

extern "C" HANDLE WINAPI CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                                     LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                                     DWORD flagsAndAttributes, HANDLE templateFile) {
    Request request;
    request.access = MapGenericAccess(desiredAccess);
    request.rights = RightsFromAccess(desiredAccess);
    request.share = shareMode;
    request.disposition = creationDisposition;
    request.attributes = flagsAndAttributes;
    request.inheritable = securityAttributes && securityAttributes->bInheritHandle;
    if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING)
        return Fail(ERROR_INVALID_PARAMETER);
    if (creationDisposition == TRUNCATE_EXISTING && !request.rights.write) return Fail(ERROR_INVALID_PARAMETER);
    if (!ResolveFilePath(fileName, request.unixPath)) return INVALID_HANDLE_VALUE;
    if (creationDisposition == OPEN_EXISTING && !(request.access & kDataAccess)) return OpenWithoutData(request, false);
    if (creationDisposition == OPEN_EXISTING && (flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) &&
        !(request.access & kDataAccess & ~FILE_LIST_DIRECTORY))
        return OpenWithoutData(request, true);
    return Open(request);
}
