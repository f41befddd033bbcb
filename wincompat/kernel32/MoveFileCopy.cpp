#include "kernel32/MoveFileCopy.h"

#include <windows.h>

#include <vector>

namespace wincompat {

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool Close() {
        if (!Valid()) return true;
        bool closed = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool CopyContents(HANDLE from, HANDLE to) {
    std::vector<char> chunk(1 << 16);
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(from, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteFile(to, chunk.data(), got, &put, nullptr) || put != got) return false;
    }
}

// Copies into a target created for it; false (last error set) on any failure.
bool CopyFileData(LPCWSTR source, LPCWSTR target, bool replace, DWORD attributes) {
    FileHandle from(CreateFileW(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    if (!from.Valid()) return false;
    FileHandle to(CreateFileW(target, GENERIC_WRITE, 0, nullptr, replace ? CREATE_ALWAYS : CREATE_NEW,
                              attributes & ~FILE_ATTRIBUTE_READONLY, nullptr));
    if (!to.Valid()) {
        if (GetLastError() == ERROR_FILE_EXISTS) SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    FILETIME accessed, written;
    bool copied = CopyContents(from.get(), to.get()) && GetFileTime(from.get(), nullptr, &accessed, &written) &&
                  SetFileTime(to.get(), nullptr, &accessed, &written);
    DWORD error = GetLastError();
    if (!to.Close() && copied) {
        error = GetLastError();
        copied = false;
    }
    if (!copied) {
        DeleteFileW(target);  // no half copy stays behind
        SetLastError(error);
        return false;
    }
    return true;
}

}  // namespace

BOOL CopyThenDelete(LPCWSTR source, LPCWSTR target, bool replace) {
    DWORD attributes = GetFileAttributesW(source);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        SetLastError(ERROR_NOT_SAME_DEVICE);  // folders move within a drive only
        return FALSE;
    }
    if (!CopyFileData(source, target, replace, attributes)) return FALSE;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(target, attributes);
    DeleteFileW(source);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace wincompat
