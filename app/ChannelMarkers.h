// The channel marker texts in the executable's read-only data. A stamping
// tool rewrites the channel marker in the file after the build; these
// accessors read the bytes the image holds at run time.
#pragma once

#include <cstddef>

// Byte counts, terminator included.
inline constexpr size_t kApplicationMarkerBytes = 72;
inline constexpr size_t kIdentifierMarkerBytes = 69;
inline constexpr size_t kChannelMarkerBytes = 25;

const char* ApplicationMarker();
const char* IdentifierMarker();
const char* ChannelMarker();
