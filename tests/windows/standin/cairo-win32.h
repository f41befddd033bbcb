// Stand-in for cairo's Windows surface header, used only by the i686 compile
// check. Debian's cairo is built for Linux and ships no Windows backend, so
// this declares the one function toolkit/render/DeviceContextWin32.cpp calls,
// with the signature cairo's documentation gives it. The shipped build
// compiles against the real header of a Windows cairo (cairo-win32).
#pragma once

#include <windows.h>

#include <cairo.h>

extern "C" cairo_surface_t* cairo_win32_surface_create(HDC hdc);
