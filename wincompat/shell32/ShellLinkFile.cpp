#include "shell32/ShellLinkFile.h"

namespace wincompat {

namespace {

constexpr LONGLONG kLargestLink = 1 << 20;

HRESULT LastErrorResult() {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (Valid()) CloseHandle(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

HRESULT WriteLinkFile(LPCWSTR path, const std::string& bytes) {
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return LastErrorResult();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return LastErrorResult();
    return written == bytes.size() ? S_OK : HRESULT_FROM_WIN32(ERROR_DISK_FULL);
}

HRESULT ReadLinkFile(LPCWSTR path, std::string& bytes) {
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return LastErrorResult();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return LastErrorResult();
    if (size.QuadPart > kLargestLink) return E_FAIL;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr)) return LastErrorResult();
    content.resize(read);
    bytes = std::move(content);
    return S_OK;
}

}  // namespace wincompat
