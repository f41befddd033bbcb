// WM_PAINT from the drawing area's "draw" signal, with the GTK cairo
// context as the window procedure's HDC (wingdi.h says what it is).
#pragma once

#include <windows.h>

#include <cairo.h>

namespace wincompat {

// Sends WM_PAINT to the window while cr is its paint context.
void DeliverPaint(HWND window, cairo_t* cr);

}  // namespace wincompat
