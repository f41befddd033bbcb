// Getting a file out of the way: delete it, or when it is held, rename it to
// a ".remove" name and have Windows delete it at the next restart.
#pragma once

#include <string>

// Move-aside rule: the ".remove" name goes to the temporary folder when the
// file is on the same drive, else next to the file.
void DeleteOrMoveAside(const std::wstring& path);

// Rename-in-place rule: true only when the first delete succeeded.
bool DeleteOrRenameInPlace(const std::wstring& path);
