// Windows: a cairo surface over the GDI device context of the paint.
#include "toolkit/render/DeviceContext.h"

#include <cairo-win32.h>
#include <cairo.h>

namespace DuiLib {

cairo_t* AcquireCairoContext(HDC dc) {
    if (!dc) return nullptr;
    cairo_surface_t* surface = cairo_win32_surface_create(dc);
    cairo_t* context = cairo_create(surface);
    cairo_surface_destroy(surface);  // the context holds its own reference
    return context;
}

void ReleaseCairoContext(HDC, cairo_t* context) {
    if (!context) return;
    cairo_surface_flush(cairo_get_target(context));
    cairo_destroy(context);
}

}  // namespace DuiLib
