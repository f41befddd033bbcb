// The GNU build id of an ELF image loaded in this process, which lets a
// debugger find the very file (and its symbols) a dumped module came from.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace wincompat {

constexpr size_t kMaxBuildId = 64;

// Reads the NT_GNU_BUILD_ID note of the image mapped at base; 0 when it has none.
size_t LoadedBuildId(uint64_t base, uint8_t* id);

}  // namespace wincompat
