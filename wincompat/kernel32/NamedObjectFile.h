// The file that stands for one named kernel object of the prefix, in the
// prefix's runtime folder (prefix/PrefixRuntime.h), one folder per namespace.
// Each process with handles to the object keeps its file open once, with a
// shared lock on the presence byte: the object exists while some process
// holds that lock and is gone with the last one, however that process ends.
// An unlocked file left behind is no object.
#pragma once

#include <windef.h>

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

namespace wincompat {

class NamedObjectFile {
public:
    // Bytes whose locks carry the object's state; byte kPresence is shared
    // by every process that holds the object.
    static constexpr off_t kPresence = 0;
    static constexpr off_t kFirstFree = 1;  // the object's own bytes start here

    // The name as the object manager files it: "Local\name" for a name with
    // no namespace, "Global\name" kept. False with the Windows error for a
    // name Windows refuses (too long, or a folder that does not exist).
    static bool FullName(const wchar_t* name, std::wstring& full, DWORD& error);

    // The object of that full name. With create it is made when no process
    // holds it, and whileNew runs on the new file before any other process
    // can open it; existed tells which happened. Without create a missing
    // object is ERROR_FILE_NOT_FOUND. Null with the error on failure.
    static std::unique_ptr<NamedObjectFile> Open(const std::wstring& fullName, bool create,
                                                 const std::function<void(int fd)>& whileNew, bool& existed,
                                                 DWORD& error);
    ~NamedObjectFile();
    NamedObjectFile(const NamedObjectFile&) = delete;
    NamedObjectFile& operator=(const NamedObjectFile&) = delete;

    int Descriptor() const { return fd_; }

private:
    explicit NamedObjectFile(int fd) : fd_(fd) {}

    int fd_;
};

}  // namespace wincompat
