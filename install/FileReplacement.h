// Getting a file out of the way: delete it, or when it is held, rename it to
// a ".remove" name and have Windows delete it at the next restart.
#pragma once

#include <string>

// Move-aside rule: the ".remove" name goes to the temporary folder when the
// file is on the same drive, else next to the file.
void DeleteOrMoveAside(const std::wstring& path);

// Rename-in-place rule: true only when the first delete succeeded. A held file
// whose own name already ends in ".remove" (or ".remove" and a number) is only
// scheduled for deletion; other held files get the next free ".remove" name.
bool DeleteOrRenameInPlace(const std::wstring& path);
