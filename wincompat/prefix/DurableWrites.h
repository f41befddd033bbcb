// Registry hives and profile files are replaced whole (a temporary file, then
// a rename) without an fsync each time: a process killed at any moment leaves
// the old file or the new one, since the page cache outlives the process. Only
// a machine that stops can lose them, so the replaced files are made durable
// together: by RegFlushKey, and at the process's exit.
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

// A file just replaced by rename: it and its folder want an fsync.
void NoteReplacedFile(const std::string& unixPath);

// fsyncs every file noted since the last call, and their folders. ERROR_SUCCESS,
// or the Windows error of the first that failed (those that failed stay noted).
DWORD SyncReplacedFiles();

}  // namespace wincompat
