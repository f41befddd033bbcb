// Reading and rewriting profile files on disk.
//
// Readers take no lock: a writer never changes a file in place but writes a
// temporary file in the same folder, flushes it and renames it over, so a
// reader sees the whole old or the whole new file. Writers are serialised by
// a mutex within the process and by flock() on the file's folder between
// processes (the folder, unlike the file, is never replaced), so concurrent
// read-modify-write cycles never lose each other's updates.
//
// Files larger than kMaxProfileBytes are read only up to that size and never
// rewritten; non-regular files (pipes, devices) count as missing.
#pragma once

#include <windef.h>

#include <functional>
#include <string>

namespace wincompat {

constexpr size_t kMaxProfileBytes = 16 * 1024 * 1024;

// The file's bytes, at most kMaxProfileBytes of them. False (with *error)
// when it is missing or cannot be read.
bool ReadProfileBytes(const std::string& unixPath, std::string& bytes, DWORD* error);

// Reads the file (empty bytes and exists false when missing), lets edit change
// the bytes, and replaces the file when they changed. edit returns false to
// leave the file alone. False (with *error) when the folder is missing, the
// file is read-only, too large or cannot be replaced.
using ProfileEdit = std::function<bool(bool exists, std::string& bytes)>;
bool UpdateProfileFile(const std::string& unixPath, const ProfileEdit& edit, DWORD* error);

}  // namespace wincompat
