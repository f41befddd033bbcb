// The resident pages of the main image's resources.
#pragma once

#include <stddef.h>

namespace wincompat {

// Drops from memory the pages of [address, address + size) when the range
// lies inside one resource's mapping; a later read brings the same bytes
// back from the file. False for any other memory.
bool DropResourcePages(const void* address, size_t size);

}  // namespace wincompat
