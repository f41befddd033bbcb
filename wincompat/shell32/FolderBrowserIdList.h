// The item identifier lists of folders the folder picker hands out: My
// Computer, the drive, then one file entry item per path element, as the
// shell (and a .lnk file's target list) spells them.
#pragma once

#include <shlobj.h>

#include <string>

namespace wincompat {

// A task-memory item list for a full DOS path ("C:\users\x"); null if none.
PIDLIST_ABSOLUTE IdListFromDosPath(const std::wstring& dosPath);

// The DOS path an item list names; false for one that is not in the file system.
bool DosPathFromIdList(PCIDLIST_ABSOLUTE pidl, std::wstring& dosPath);

}  // namespace wincompat
