// Files of the cases: a fresh folder per case on drive C: of the prefix,
// whole-file reads and writes, handles and keys that close themselves.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace conformance {

// C:\conformance\<name>, created empty (with its parents) for the caller.
std::wstring CaseFolder(const std::wstring& name);

bool WriteBytes(const std::wstring& path, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);

// A handle closed when it goes out of scope.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void Close() {
        if (valid()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// CreateFileW with the last error it left.
struct Opened {
    Handle handle;
    DWORD error;
};
Opened Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0);

// A registry key closed when it goes out of scope.
class Key {
public:
    Key() = default;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }
    HKEY* receive() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
        return &key_;
    }

private:
    HKEY key_ = nullptr;
};

// A REG_MULTI_SZ value as its strings, empty ones kept (the data size, not
// the first empty string, ends the list). False when the value is missing
// or of another type.
bool ReadMultiString(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view,
                     std::vector<std::wstring>& strings);

}  // namespace conformance
