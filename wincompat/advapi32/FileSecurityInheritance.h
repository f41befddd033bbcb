// What a new file or folder inherits from the folder it is created in. On
// Windows every new object takes its folder's inheritable entries; here that
// happens where the folder has a stored descriptor, so that files written
// after a folder's rights were set carry them, as on Windows.
#pragma once

#include "advapi32/SecurityDescriptorParts.h"

#include <sys/types.h>

#include <string>

namespace wincompat {

// The DACL a child inherits from the folder's DACL: file children take the
// object-inheritable entries, folder children the container-inheritable ones
// (passing them on unless NO_PROPAGATE) and the object-inheritable ones as
// inherit-only. Every entry is marked INHERITED_ACE; generic rights of an
// entry that applies to the child are mapped to file rights. Empty when
// nothing is inherited.
std::vector<BYTE> InheritedDacl(const ACL* folderDacl, bool childIsFolder);

// Gives the entry at unixPath, just created, the entries its folder (the
// parent of unixPath, or `folderUnixPath` when given) passes on, and widens
// its mode to match. Does nothing when the folder has no stored descriptor or
// passes nothing on; failures leave the entry as it was created.
void InheritFolderSecurity(const std::string& unixPath, const std::string& folderUnixPath = std::string());

// The same for a file just created at unixPath and held open for data as fd:
// the file is read and changed through fd, so it is the one created.
void InheritFolderSecurity(int fd, const std::string& unixPath);

}  // namespace wincompat
