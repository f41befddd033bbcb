// gdi32: device contexts, as far as the toolkit asks about them, and colours.
//
// Device contexts on this platform: the HDC that BeginPaint returns (and puts
// in PAINTSTRUCT.hdc) is a cairo context, `cairo_t*`, cast to HDC. Its user
// space is the client area in DEVICE pixels, origin top left; the context is
// already scaled for the display, so drawing in device pixels comes out sharp
// at any scale factor. It is valid until EndPaint and must not be kept or
// destroyed. An HDC from GetDC (a window's or the screen's, GetDC(NULL)) is
// NOT a drawing surface here: it is good only for GetDeviceCaps and must be
// handed back with ReleaseDC.
#pragma once

#include <windef.h>

// GetDeviceCaps indices.
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define LOGPIXELSX 88
#define LOGPIXELSY 90

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))

WINCOMPAT_BEGIN_DECLS
// LOGPIXELSX/LOGPIXELSY: 96 times the display's scale factor (192 at scale 2);
// HORZRES/VERTRES: the primary monitor in device pixels.
int WINAPI GetDeviceCaps(HDC dc, int index);
WINCOMPAT_END_DECLS
