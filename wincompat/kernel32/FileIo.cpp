// Reading, writing and positioning through file handles.
#include <windows.h>

#include "kernel32/FileObject.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace wincompat;

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// With an OVERLAPPED on a synchronous handle the transfer starts at its offset.
bool SeekToOverlapped(int fd, const OVERLAPPED* overlapped) {
    if (!overlapped) return true;
    off_t offset = static_cast<off_t>((uint64_t(overlapped->OffsetHigh) << 32) | overlapped->Offset);
    return lseek(fd, offset, SEEK_SET) >= 0;
}

// Repeats the call until everything moved, the end was reached or it failed.
template <typename Transfer>
bool TransferAll(Transfer transfer, size_t total, size_t& done) {
    done = 0;
    while (done < total) {
        ssize_t moved = transfer(done);
        if (moved < 0 && errno == EINTR) continue;
        if (moved < 0) return false;
        if (moved == 0) break;
        done += static_cast<size_t>(moved);
    }
    return true;
}

bool Seek(HANDLE file, LONGLONG distance, DWORD method, LONGLONG& position) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return false;
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};  // FILE_BEGIN, FILE_CURRENT, FILE_END
    if (method > FILE_END) return Fail(ERROR_INVALID_PARAMETER);
    int whence = kWhence[method];
    off_t result = lseek(object->Descriptor(), static_cast<off_t>(distance), whence);
    if (result < 0) return Fail(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrorFromErrno(errno));
    position = result;
    return true;
}

bool Size(HANDLE file, LONGLONG& size) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return false;
    struct stat info;
    if (fstat(object->Descriptor(), &info) != 0) return Fail(ErrorFromErrno(errno));
    size = info.st_size;
    return true;
}

}  // namespace

extern "C" BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                                LPOVERLAPPED overlapped) {
    if (bytesRead) *bytesRead = 0;
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return FALSE;
    if (!object->Rights().read) return Fail(ERROR_ACCESS_DENIED);
    if (!buffer && bytesToRead) return Fail(ERROR_NOACCESS);
    int fd = object->Descriptor();
    if (!SeekToOverlapped(fd, overlapped)) return Fail(ErrorFromErrno(errno));
    char* bytes = static_cast<char*>(buffer);
    size_t done = 0;
    bool ok = TransferAll([&](size_t at) { return read(fd, bytes + at, bytesToRead - at); }, bytesToRead, done);
    if (bytesRead) *bytesRead = static_cast<DWORD>(done);
    return ok ? TRUE : Fail(ErrorFromErrno(errno));
}

extern "C" BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                                 LPOVERLAPPED overlapped) {
    if (bytesWritten) *bytesWritten = 0;
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return FALSE;
    if (!object->Rights().write) return Fail(ERROR_ACCESS_DENIED);
    if (!buffer && bytesToWrite) return Fail(ERROR_NOACCESS);
    int fd = object->Descriptor();
    if (!SeekToOverlapped(fd, overlapped)) return Fail(ErrorFromErrno(errno));
    const char* bytes = static_cast<const char*>(buffer);
    size_t done = 0;
    bool ok = TransferAll([&](size_t at) { return write(fd, bytes + at, bytesToWrite - at); }, bytesToWrite, done);
    const DWORD error = ok ? ERROR_SUCCESS : ErrorFromErrno(errno);  // before NoteWritten's calls change errno
    if (bytesWritten) *bytesWritten = static_cast<DWORD>(done);
    if (done > 0) object->NoteWritten();
    if (ok && done < bytesToWrite) return Fail(ERROR_DISK_FULL);
    return ok ? TRUE : Fail(error);
}

extern "C" BOOL WINAPI FlushFileBuffers(HANDLE file) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object) return FALSE;
    if (!object->Rights().write) return Fail(ERROR_ACCESS_DENIED);
    return fsync(object->Descriptor()) == 0 ? TRUE : Fail(ErrorFromErrno(errno));
}

extern "C" BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                                        DWORD moveMethod) {
    LONGLONG position = 0;
    if (!Seek(file, distanceToMove.QuadPart, moveMethod, position)) return FALSE;
    if (newFilePointer) newFilePointer->QuadPart = position;
    return TRUE;
}

// Without a high part the distance is a signed 32-bit value; with one, the
// two make a 64-bit distance and the high part receives the new position's.
extern "C" DWORD WINAPI SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh,
                                       DWORD moveMethod) {
    LONGLONG distance = distanceToMove;
    if (distanceToMoveHigh)
        distance = static_cast<LONGLONG>((uint64_t(uint32_t(*distanceToMoveHigh)) << 32) | uint32_t(distanceToMove));
    LONGLONG position = 0;
    if (!Seek(file, distance, moveMethod, position)) return INVALID_SET_FILE_POINTER;
    if (!distanceToMoveHigh && position > 0xFFFFFFFFLL) {
        SetLastError(ERROR_INVALID_PARAMETER);  // the position does not fit the result
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceToMoveHigh) *distanceToMoveHigh = static_cast<LONG>(position >> 32);
    SetLastError(ERROR_SUCCESS);  // a low part of 0xFFFFFFFF is then told apart from failure
    return static_cast<DWORD>(position);
}

extern "C" BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize) {
    LONGLONG size = 0;
    if (!Size(file, size)) return FALSE;
    fileSize->QuadPart = size;
    return TRUE;
}

extern "C" DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    LONGLONG size = 0;
    if (!Size(file, size)) return INVALID_FILE_SIZE;
    if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(uint64_t(size) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}
