// Platforms whose paint device context is itself a cairo context: the
// handle is the context, already set up in device pixels of the client area.
#include "toolkit/render/DeviceContext.h"

#include <cairo.h>

namespace DuiLib {

cairo_t* AcquireCairoContext(HDC dc) {
    if (!dc) return nullptr;
    cairo_t* context = reinterpret_cast<cairo_t*>(dc);
    cairo_reference(context);
    cairo_save(context);
    return context;
}

void ReleaseCairoContext(HDC, cairo_t* context) {
    if (!context) return;
    cairo_restore(context);
    cairo_destroy(context);
}

}  // namespace DuiLib
