// What a file handle holds: GetFileInformationByHandle, the folder
// enumeration of GetFileInformationByHandleEx and GetFinalPathNameByHandleW.
#include <windows.h>

#include "kernel32/DirectoryListing.h"
#include "kernel32/FileAttributes.h"
#include "kernel32/FileObject.h"
#include "kernel32/FileTimes.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace wincompat;

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

FILETIME FromStatx(const statx_timestamp& stamp) {
    return FileTimeFromUnix(timespec{static_cast<time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec)});
}

// The volume serial number stands for the device: entries of one file system share it.
DWORD VolumeSerial(uint32_t major, uint32_t minor) { return (major << 20) ^ minor ^ 0x56454c4du; }

constexpr char kDeletedSuffix[] = " (deleted)";

}  // namespace

extern "C" BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return FALSE;
    if (!information) return Fail(ERROR_INVALID_PARAMETER);
    struct statx info;
    if (statx(object->Descriptor(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return Fail(ErrorFromErrno(errno));
    BY_HANDLE_FILE_INFORMATION result{};
    result.dwFileAttributes = S_ISLNK(info.stx_mode) ? FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT
                                                     : EntryAttributes(info.stx_mode, object->PinnedPath(), true);
    result.ftCreationTime = FromStatx((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
    result.ftLastAccessTime = FromStatx(info.stx_atime);
    result.ftLastWriteTime = FromStatx(info.stx_mtime);
    result.dwVolumeSerialNumber = VolumeSerial(info.stx_dev_major, info.stx_dev_minor);
    uint64_t size = S_ISREG(info.stx_mode) ? info.stx_size : 0;
    result.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    result.nFileSizeLow = static_cast<DWORD>(size);
    result.nNumberOfLinks = info.stx_nlink;
    result.nFileIndexHigh = static_cast<DWORD>(info.stx_ino >> 32);
    result.nFileIndexLow = static_cast<DWORD>(info.stx_ino);
    *information = result;
    return TRUE;
}

namespace {

BOOL FileIdOf(const FileObject& object, LPVOID information, DWORD bufferSize) {
    if (bufferSize < sizeof(FILE_ID_INFO)) return Fail(ERROR_BAD_LENGTH);
    struct statx info;
    if (statx(object.Descriptor(), "", AT_EMPTY_PATH, STATX_INO, &info) != 0) return Fail(ErrorFromErrno(errno));
    FILE_ID_INFO result{};
    result.VolumeSerialNumber = VolumeSerial(info.stx_dev_major, info.stx_dev_minor);
    const uint64_t index = info.stx_ino;
    memcpy(result.FileId.Identifier, &index, sizeof(index));  // little-endian, as on Windows
    memcpy(information, &result, sizeof(result));
    return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS informationClass,
                                                    LPVOID information, DWORD bufferSize) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return FALSE;
    if (informationClass == FileIdInfo)
        return information ? FileIdOf(*object, information, bufferSize) : Fail(ERROR_NOACCESS);
    if (informationClass != FileIdBothDirectoryInfo && informationClass != FileIdBothDirectoryRestartInfo)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!information) return Fail(ERROR_NOACCESS);
    if (!(object->Access() & FILE_LIST_DIRECTORY)) return Fail(ERROR_ACCESS_DENIED);
    // Smaller than one record with its first character: the length itself is wrong, as
    // the system's directory query answers; a record whose name does not fit is ERROR_MORE_DATA.
    if (bufferSize < sizeof(FILE_ID_BOTH_DIR_INFO)) return Fail(ERROR_BAD_LENGTH);
    DWORD result = object->Listing().Fill(static_cast<BYTE*>(information), bufferSize,
                                          informationClass == FileIdBothDirectoryRestartInfo);
    return result == ERROR_SUCCESS ? TRUE : Fail(result);
}

extern "C" DWORD WINAPI GetFinalPathNameByHandleW(HANDLE file, LPWSTR filePath, DWORD length, DWORD flags) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return 0;
    const DWORD volume = flags & (VOLUME_NAME_GUID | VOLUME_NAME_NT | VOLUME_NAME_NONE);
    if ((flags & ~(FILE_NAME_OPENED | VOLUME_NAME_GUID | VOLUME_NAME_NT | VOLUME_NAME_NONE)) ||
        (volume != VOLUME_NAME_DOS && volume != VOLUME_NAME_NONE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char target[4096];
    ssize_t size = readlink(object->PinnedPath().c_str(), target, sizeof(target));
    if (size <= 0 || size == static_cast<ssize_t>(sizeof(target))) {
        SetLastError(size < 0 ? ErrorFromErrno(errno) : ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    std::string unixPath(target, static_cast<size_t>(size));
    // An entry removed since it was opened has no path any more.
    const size_t suffix = sizeof(kDeletedSuffix) - 1;
    struct stat info;
    if (unixPath.size() > suffix && unixPath.compare(unixPath.size() - suffix, suffix, kDeletedSuffix) == 0 &&
        fstat(object->Descriptor(), &info) == 0 && info.st_nlink == 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    std::wstring dos = UnixToDos(unixPath);
    std::wstring path = volume == VOLUME_NAME_NONE ? dos.substr(2) : L"\\\\?\\" + dos;
    if (path.size() >= length) return static_cast<DWORD>(path.size() + 1);
    path.copy(filePath, path.size());
    filePath[path.size()] = L'\0';
    return static_cast<DWORD>(path.size());
}
