// Making a host folder and the folders above it.
#pragma once

#include <string>

namespace wincompat {

// mkdir -p on a unix path: true when it exists afterwards (or a name that is
// in its place already does, as mkdir -p accepts), else false with errno
// set. The whole path is tried first, so a folder that is already there
// costs one call, not one per element.
bool MakeHostFolders(const std::string& path);

}  // namespace wincompat
