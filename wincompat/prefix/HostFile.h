// Reading small host files (settings, /proc entries, file heads) with read(2):
// a file that ends, vanishes or fails mid-read gives what was read, never an
// exception, and no more than a limit is ever held.
#pragma once

#include <stddef.h>

#include <string>

namespace wincompat {

// At most limit bytes of the file; false when it cannot be opened or a read
// failed before its end (bytes then holds what came before the failure).
bool ReadHostFile(const std::string& path, std::string& bytes, size_t limit);

}  // namespace wincompat
