// Where an archive item may go on disk.
#pragma once

#include <string>

namespace sevenzip {

// True when the item path stays inside the output folder: it is relative,
// names no drive or stream (no ':'), and has no ".." component (nor one
// that Windows reads as "..", such as "..." or ".. ").
bool IsContainedItemPath(const std::wstring& itemPath);

// Creates each missing folder of path (separators '\' or '/'), from the
// deepest existing one down; folders that exist are accepted. The outcome
// shows when a file is later created in the folder.
void CreateMissingFolders(const std::wstring& path);

// Makes every level of the relative path below base (which ends with a
// separator) a real folder: a missing level is created, and a symbolic link
// or junction standing at a level is removed, never what it points to, and
// replaced by a folder. So nothing below base is written through a link.
void CreateRealFolders(const std::wstring& base, const std::wstring& relative);

// path up to its last separator (without it); empty when it has none.
std::wstring ParentOfPath(const std::wstring& path);

}  // namespace sevenzip
