// Where a file's security descriptor lives: the user.wincompat.sd extended
// attribute, in the self-relative form (stable Wine stores none, so the name
// is our own). Without it, or when it cannot be read, the descriptor is the
// one derived from the mode.
#pragma once

#include "advapi32/SecurityDescriptorParts.h"

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

}  // namespace wincompat
