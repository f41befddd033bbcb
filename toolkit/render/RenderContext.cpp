// CRenderContext over cairo.
#include "toolkit/render/RenderContext.h"

#include <cairo.h>

#include "toolkit/render/Bitmap.h"
#include "toolkit/render/DeviceContext.h"
#include "toolkit/render/TextLayout.h"

namespace DuiLib {

namespace {

void SetColor(cairo_t* context, DWORD color) {
    cairo_set_source_rgba(context, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                          (color & 0xFF) / 255.0, ((color >> 24) & 0xFF) / 255.0);
}

// A rectangle path, with elliptical corners when round is set.
void RectanglePath(cairo_t* context, double x, double y, double width, double height, double rx, double ry) {
    if (width <= 0 || height <= 0) return;
    if (rx > width / 2) rx = width / 2;
    if (ry > height / 2) ry = height / 2;
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(context, x, y, width, height);
        return;
    }
    const double pi = 3.14159265358979323846;
    struct Corner {
        double cx, cy, from;
    } corners[] = {{x + width - rx, y + ry, -pi / 2},
                   {x + width - rx, y + height - ry, 0},
                   {x + rx, y + height - ry, pi / 2},
                   {x + rx, y + ry, pi}};
    cairo_new_sub_path(context);
    for (const Corner& corner : corners) {
        cairo_save(context);
        cairo_translate(context, corner.cx, corner.cy);
        cairo_scale(context, rx, ry);
        cairo_arc(context, 0, 0, 1, corner.from, corner.from + pi / 2);
        cairo_restore(context);
    }
    cairo_close_path(context);
}

void RectPath(cairo_t* context, const RECT& rect, SIZE round) {
    RectanglePath(context, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, round.cx / 2.0,
                  round.cy / 2.0);
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

// One piece of an image: source (bitmap pixels) stretched over dest.
void DrawPart(cairo_t* context, cairo_surface_t* surface, const RECT& source, const RECT& dest) {
    if (Width(source) <= 0 || Height(source) <= 0 || Width(dest) <= 0 || Height(dest) <= 0) return;
    cairo_save(context);
    cairo_rectangle(context, dest.left, dest.top, Width(dest), Height(dest));
    cairo_clip(context);
    cairo_translate(context, dest.left, dest.top);
    cairo_scale(context, double(Width(dest)) / Width(source), double(Height(dest)) / Height(source));
    cairo_set_source_surface(context, surface, -source.left, -source.top);
    cairo_pattern_t* pattern = cairo_get_source(context);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    // Only the source part may show, even where the dest pixels round outward.
    cairo_rectangle(context, source.left, source.top, Width(source), Height(source));
    cairo_clip(context);
    cairo_paint(context);
    cairo_restore(context);
}

}  // namespace

CRenderContext::CRenderContext(HDC dc) : m_dc(dc), m_context(AcquireCairoContext(dc)), m_fromDC(true) {}

CRenderContext::CRenderContext(cairo_t* context) : m_context(context) {
    if (m_context) {
        cairo_reference(m_context);
        cairo_save(m_context);
    }
}

CRenderContext::~CRenderContext() {
    if (!m_context) return;
    if (m_fromDC) {
        ReleaseCairoContext(m_dc, m_context);
        return;
    }
    cairo_restore(m_context);
    cairo_destroy(m_context);
}

bool CRenderContext::IsValid() const { return m_context != nullptr; }

void CRenderContext::PushClip(const RECT& rect, SIZE round) {
    if (!m_context) return;
    cairo_save(m_context);
    cairo_new_path(m_context);
    RectPath(m_context, rect, round);
    cairo_clip(m_context);
}

void CRenderContext::PopClip() {
    if (m_context) cairo_restore(m_context);
}

void CRenderContext::FillRect(const RECT& rect, DWORD color, SIZE round) {
    if (!m_context || (color >> 24) == 0) return;
    cairo_new_path(m_context);
    RectPath(m_context, rect, round);
    SetColor(m_context, color);
    cairo_fill(m_context);
}

void CRenderContext::FillGradient(const RECT& rect, DWORD top, DWORD bottom, SIZE round) {
    if (!m_context) return;
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, rect.top, 0, rect.bottom);
    auto stop = [gradient](double offset, DWORD color) {
        cairo_pattern_add_color_stop_rgba(gradient, offset, ((color >> 16) & 0xFF) / 255.0,
                                          ((color >> 8) & 0xFF) / 255.0, (color & 0xFF) / 255.0,
                                          ((color >> 24) & 0xFF) / 255.0);
    };
    stop(0, top);
    stop(1, bottom);
    cairo_new_path(m_context);
    RectPath(m_context, rect, round);
    cairo_set_source(m_context, gradient);
    cairo_fill(m_context);
    cairo_pattern_destroy(gradient);
}

void CRenderContext::DrawBorder(const RECT& rect, int width, DWORD color, SIZE round) {
    if (!m_context || width <= 0 || (color >> 24) == 0) return;
    // The stroke lies inside the rectangle.
    double half = width / 2.0;
    double rx = round.cx > 0 ? round.cx / 2.0 - half : 0;
    double ry = round.cy > 0 ? round.cy / 2.0 - half : 0;
    cairo_new_path(m_context);
    RectanglePath(m_context, rect.left + half, rect.top + half, Width(rect) - width, Height(rect) - width, rx, ry);
    SetColor(m_context, color);
    cairo_set_line_width(m_context, width);
    cairo_stroke(m_context);
}

void CRenderContext::DrawBitmap(const CBitmap& bitmap, const RECT& dest, const RECT& source,
                                const RECT& sourceCorner, const RECT& destCorner) {
    if (!m_context) return;
    cairo_surface_t* surface = bitmap.Surface();
    bool sliced = sourceCorner.left || sourceCorner.top || sourceCorner.right || sourceCorner.bottom;
    if (!sliced) {
        DrawPart(m_context, surface, source, dest);
        return;
    }
    // Column and row edges of the nine pieces, in the source and in dest.
    LONG sx[4] = {source.left, source.left + sourceCorner.left, source.right - sourceCorner.right, source.right};
    LONG sy[4] = {source.top, source.top + sourceCorner.top, source.bottom - sourceCorner.bottom, source.bottom};
    LONG dx[4] = {dest.left, dest.left + destCorner.left, dest.right - destCorner.right, dest.right};
    LONG dy[4] = {dest.top, dest.top + destCorner.top, dest.bottom - destCorner.bottom, dest.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            DrawPart(m_context, surface, RECT{sx[column], sy[row], sx[column + 1], sy[row + 1]},
                     RECT{dx[column], dy[row], dx[column + 1], dy[row + 1]});
        }
    }
}

void CRenderContext::DrawText(const std::wstring& text, const RECT& rect, const TFontInfo& font, DWORD color,
                              UINT style) {
    DrawTextLayout(m_context, text, rect, font, color, style);
}

}  // namespace DuiLib
