// Where a file's security descriptor lives: the user.wincompat.sd extended
// attribute, in the self-relative form (stable Wine stores none, so the name
// is our own). Without it, or when it cannot be read, the descriptor is the
// one derived from the mode.
#pragma once

#include "advapi32/SecurityDescriptorParts.h"

#include <sys/stat.h>

#include <string>

namespace wincompat {

extern const char kFileSecurityAttribute[];

// False with *error set when the file cannot be looked at.
bool ReadFileDescriptor(const std::string& unixPath, DescriptorParts& parts, DWORD* error);

// The stored descriptor alone, without falling back to the mode's; false
// when there is none or it cannot be read.
bool ReadStoredFileDescriptor(const std::string& unixPath, DescriptorParts& parts);

// Stores the descriptor and widens the mode by its DACL (FileSecurityMode.h).
bool WriteFileDescriptor(const std::string& unixPath, const DescriptorParts& parts, DWORD* error);

// The same for the object an open handle holds: fd is its descriptor (an
// O_PATH one will do) and pinnedPath a name reaching exactly that object
// (/proc/self/fd/N), so the object read or changed is the one the handle
// holds, wherever its path leads now.
bool ReadHandleDescriptor(int fd, const std::string& pinnedPath, DescriptorParts& parts, DWORD* error);
bool WriteHandleDescriptor(int fd, const std::string& pinnedPath, const DescriptorParts& parts, DWORD* error);

// The same for a file open for data: fd takes the attribute and the mode
// itself, and info is its fstat.
bool WriteOpenFileDescriptor(int fd, const struct stat& info, const DescriptorParts& parts, DWORD* error);

}  // namespace wincompat
