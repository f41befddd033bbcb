// COffscreenSurface: an ARGB32 cairo image surface.
#include "toolkit/render/OffscreenSurface.h"

#include <cairo.h>

#include <cstdint>

namespace DuiLib {

COffscreenSurface::COffscreenSurface(int width, int height)
    : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      m_cairo(cairo_create(m_surface)),
      m_context(std::make_unique<CRenderContext>(m_cairo)) {}

COffscreenSurface::~COffscreenSurface() {
    m_context.reset();
    cairo_destroy(m_cairo);
    cairo_surface_destroy(m_surface);
}

CRenderContext& COffscreenSurface::Context() { return *m_context; }

DWORD COffscreenSurface::GetPixel(int x, int y) {
    cairo_surface_flush(m_surface);
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(m_surface) ||
        y >= cairo_image_surface_get_height(m_surface))
        return 0;
    const unsigned char* row = cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

bool COffscreenSurface::WritePng(const std::string& path) {
    cairo_surface_flush(m_surface);
    return cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace DuiLib
