// UTF-8 to UTF-16 without allocation, for the names a dump stores.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace wincompat {

// Converts up to capacity units; malformed bytes become U+FFFD. Returns the count.
size_t Utf16FromUtf8(const char* text, uint16_t* units, size_t capacity);

}  // namespace wincompat
