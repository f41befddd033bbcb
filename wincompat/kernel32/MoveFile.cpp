// MoveFileExW and MoveFileW: renames within a drive, copies across drives
// when allowed, and records operations for the next restart.
#include <windows.h>

#include "kernel32/FileAttributes.h"
#include "kernel32/FileInUse.h"
#include "kernel32/FilePaths.h"
#include "kernel32/MoveFileCopy.h"
#include "kernel32/PendingOperations.h"
#include "prefix/FolderIndex.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <optional>

using namespace wincompat;

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

struct MovePaths {
    std::wstring sourceDos, targetDos;
    std::string source, target;
};

bool Resolve(LPCWSTR source, LPCWSTR target, MovePaths& paths) {
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!FullDosPath(source, paths.sourceDos, &error) || !FullDosPath(target, paths.targetDos, &error))
        return Fail(error);
    return ResolveFilePath(source, paths.source) && ResolveFilePath(target, paths.target);
}

// A target that resolved to the source itself (a change of case only): the
// new name takes the spelling asked for.
std::string RenamedInPlace(const MovePaths& paths) {
    std::wstring name = paths.targetDos.substr(paths.targetDos.rfind(L'\\') + 1);
    return paths.target.substr(0, paths.target.rfind('/') + 1) + Utf8FromWide(name);
}

// Refusals for an existing target that would be replaced; 0 when none.
DWORD CheckReplacedTarget(const std::string& target, const struct stat& info, bool sourceIsFolder) {
    if (S_ISDIR(info.st_mode) || sourceIsFolder) return ERROR_ACCESS_DENIED;
    if (ReadFileAttributes(target) & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    return 0;
}

// Both guards are taken in inode order, so crosswise moves cannot deadlock.
void LockBoth(FileInUse& a, FileInUse* b) {
    if (b && (b->Device() < a.Device() || (b->Device() == a.Device() && b->Inode() < a.Inode()))) {
        b->Lock();
        a.Lock();
        return;
    }
    a.Lock();
    if (b) b->Lock();
}

// A rename within one file system. ERROR_NOT_SAME_DEVICE when it is not one.
DWORD RenameOnVolume(const MovePaths& paths, bool replace) {
    struct stat sourceInfo, targetInfo;
    if (lstat(paths.source.c_str(), &sourceInfo) != 0) return ErrorForPath(errno, paths.source);
    bool targetExists = lstat(paths.target.c_str(), &targetInfo) == 0;
    bool sameFile = targetExists && targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino;
    std::string target = sameFile ? RenamedInPlace(paths) : paths.target;
    bool replacing = targetExists && !sameFile;
    if (replacing && !replace) return ERROR_ALREADY_EXISTS;
    if (replacing)
        if (DWORD refusal = CheckReplacedTarget(target, targetInfo, S_ISDIR(sourceInfo.st_mode))) return refusal;

    FileInUse source(paths.source);
    std::optional<FileInUse> replaced;
    if (replacing) replaced.emplace(target);
    LockBoth(source, replaced ? &*replaced : nullptr);
    if (source.DeleteDenied()) return ERROR_SHARING_VIOLATION;
    if (replaced && (replaced->DeleteDenied() || replaced->ImageInUse())) return ERROR_ACCESS_DENIED;
    unsigned flags = replace || sameFile ? 0 : RENAME_NOREPLACE;
    if (renameat2(AT_FDCWD, paths.source.c_str(), AT_FDCWD, target.c_str(), flags) == 0) {
        NoteNameMoved(paths.source, target);
        return 0;
    }
    if (errno == EEXIST) return ERROR_ALREADY_EXISTS;
    if (errno == EXDEV) return ERROR_NOT_SAME_DEVICE;
    return ErrorForPath(errno, paths.source);
}

DWORD SourceError(const std::string& source) {
    struct stat info;
    return lstat(source.c_str(), &info) == 0 ? 0 : ErrorForPath(errno, source);
}

BOOL Schedule(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
    if (flags & MOVEFILE_COPY_ALLOWED) return Fail(ERROR_INVALID_PARAMETER);
    PendingOperation operation;
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!FullDosPath(existingFileName, operation.source, &error)) return Fail(error);
    if (newFileName && *newFileName && !FullDosPath(newFileName, operation.target, &error)) return Fail(error);
    operation.replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
    if (LONG status = AppendPendingOperation(operation)) return Fail(static_cast<DWORD>(status));
    return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
    if (!existingFileName || !*existingFileName) return Fail(ERROR_INVALID_PARAMETER);
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) return Schedule(existingFileName, newFileName, flags);
    if (!newFileName || !*newFileName) return Fail(ERROR_INVALID_PARAMETER);
    MovePaths paths;
    if (!Resolve(existingFileName, newFileName, paths)) return FALSE;
    bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
    // Each drive letter is a volume of its own, as on Windows.
    DWORD error = paths.sourceDos[0] == paths.targetDos[0] ? RenameOnVolume(paths, replace) : SourceError(paths.source);
    if (!error && paths.sourceDos[0] != paths.targetDos[0]) error = ERROR_NOT_SAME_DEVICE;
    if (error == ERROR_NOT_SAME_DEVICE && (flags & MOVEFILE_COPY_ALLOWED))
        return CopyThenDelete(existingFileName, newFileName, replace);
    if (error) return Fail(error);
    return TRUE;
}

extern "C" BOOL WINAPI MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName) {
    return MoveFileExW(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}
