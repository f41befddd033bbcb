// The cairo context a device context draws through, for the length of one
// paint. The platform's source file (chosen by CMake) knows how to get it.
#pragma once

#include <windows.h>

struct _cairo;

namespace DuiLib {

// A context whose user space is the client area in device pixels, or nullptr.
struct _cairo* AcquireCairoContext(HDC dc);
void ReleaseCairoContext(HDC dc, struct _cairo* context);

}  // namespace DuiLib
