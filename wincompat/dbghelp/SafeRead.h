// Reading this process's own memory without risking a fault.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace wincompat {

// False if any of the bytes is unreadable.
bool SafeRead(uint64_t address, void* buffer, size_t size);

}  // namespace wincompat
