// How a file's security descriptor and its unix mode answer for each other.
//
// A file without a stored descriptor has one derived from its mode, as Wine
// derives it: owner S-1-5-21-0-0-0-1000, group ...-513, and a DACL granting
// SYSTEM full control, the owner what the user bits allow (full control with
// write), the group what its bits add to the others', and Everyone what the
// other bits allow; a folder's entries carry OBJECT_INHERIT | CONTAINER_INHERIT.
//
// A DACL granting Everyone access widens the mode as Wine does: the rights
// Everyone has become read, write and execute bits for user, group and
// others. Bits are only ever added, and two are held back on files: write is
// not added to a read-only file (no write bit: the read-only attribute lives
// there, and a DACL never clears it on Windows), and execute is only added to
// a file that already has an execute bit, so data files do not become
// programs. Everyone's full control thus gives 0777 on folders and
// executables, 0666 on other files, and leaves 0444 and 0555 as they are.
#pragma once

#include "advapi32/SecurityDescriptorParts.h"

#include <sys/types.h>

namespace wincompat {

DescriptorParts DerivedFileDescriptor(mode_t mode);

// The mode after the DACL's grants to Everyone; `mode` includes the file type.
mode_t MirroredMode(mode_t mode, const ACL* dacl);

}  // namespace wincompat
