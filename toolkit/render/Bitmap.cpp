// PNG decoding through cairo's stream reader, straight from memory.
#include "toolkit/render/Bitmap.h"

#include <cairo.h>

#include <cstring>

namespace DuiLib {

namespace {

struct PngStream {
    const std::vector<BYTE>* bytes;
    size_t offset;
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) {
    auto* stream = static_cast<PngStream*>(closure);
    if (stream->bytes->size() - stream->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, stream->bytes->data() + stream->offset, length);
    stream->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::shared_ptr<CBitmap> CBitmap::FromPng(const std::vector<BYTE>& bytes) {
    if (bytes.empty()) return nullptr;
    PngStream stream{&bytes, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ReadPng, &stream);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::shared_ptr<CBitmap>(new CBitmap(surface));
}

CBitmap::CBitmap(cairo_surface_t* surface) : m_surface(surface) {}
CBitmap::~CBitmap() { cairo_surface_destroy(m_surface); }

int CBitmap::Width() const { return cairo_image_surface_get_width(m_surface); }
int CBitmap::Height() const { return cairo_image_surface_get_height(m_surface); }
cairo_surface_t* CBitmap::Surface() const { return m_surface; }

}  // namespace DuiLib
