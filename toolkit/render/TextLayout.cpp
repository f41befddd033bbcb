// pango layouts made the same way for measuring and for drawing, with fixed
// font options so that measured offsets match drawn glyphs.
#include "toolkit/render/TextLayout.h"

#include <pango/pangocairo.h>

#include <memory>

#include "toolkit/core/TextStyle.h"
#include "toolkit/core/Utf8Text.h"

namespace DuiLib {

namespace {

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutDeleter>;

// One font map for the process, held here for its whole life, so that the
// fonts and glyph caches it collects stay owned by someone.
PangoFontMap* FontMap() {
    static PangoFontMap* fontMap = pango_cairo_font_map_new();
    return fontMap;
}

// A context on a tiny image surface for measuring outside of painting.
cairo_t* MeasuringContext() {
    static cairo_t* context = [] {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        cairo_t* created = cairo_create(surface);
        cairo_surface_destroy(surface);
        return created;
    }();
    return context;
}

void ApplyFontOptions(PangoContext* context) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
}

LayoutPtr CreateLayout(cairo_t* context, const std::string& text, const TFontInfo& font) {
    PangoContext* fonts = pango_font_map_create_context(FontMap());
    pango_cairo_update_context(context, fonts);
    ApplyFontOptions(fonts);
    LayoutPtr layout(pango_layout_new(fonts));
    g_object_unref(fonts);  // the layout holds its own reference

    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, Utf8FromWide(font.sFontName).c_str());
    pango_font_description_set_absolute_size(description, (font.iSize > 0 ? font.iSize : 12) * PANGO_SCALE);
    pango_font_description_set_weight(description, font.bBold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, font.bItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout.get(), description);
    pango_font_description_free(description);

    if (font.bUnderline) {
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        pango_layout_set_attributes(layout.get(), attributes);
        pango_attr_list_unref(attributes);
    }
    pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
    return layout;
}

void SetSourceColor(cairo_t* context, DWORD color) {
    cairo_set_source_rgba(context, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                          (color & 0xFF) / 255.0, ((color >> 24) & 0xFF) / 255.0);
}

int AlignedX(const RECT& rect, int width, UINT style) {
    int room = rect.right - rect.left;
    if (style & UITEXT_CENTER) return rect.left + (room - width) / 2;
    if (style & UITEXT_RIGHT) return rect.right - width;
    return rect.left;
}

int AlignedY(const RECT& rect, int height, UINT style) {
    int room = rect.bottom - rect.top;
    if (style & UITEXT_VCENTER) return rect.top + (room - height) / 2;
    if (style & UITEXT_BOTTOM) return rect.bottom - height;
    return rect.top;
}

}  // namespace

TTextExtent MeasureText(const std::wstring& text, const TFontInfo& font, int wrapWidth) {
    LayoutPtr layout = CreateLayout(MeasuringContext(), Utf8FromWide(text), font);
    if (wrapWidth > 0) {
        pango_layout_set_width(layout.get(), wrapWidth * PANGO_SCALE);
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    } else {
        pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    }
    TTextExtent extent;
    pango_layout_get_pixel_size(layout.get(), &extent.cx, &extent.cy);
    extent.unknownGlyphs = pango_layout_get_unknown_glyphs_count(layout.get());
    return extent;
}

std::vector<int> CharacterOffsets(const std::wstring& text, const TFontInfo& font) {
    // Byte index in the UTF-8 text of every character boundary.
    std::vector<int> bytes;
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        bytes.push_back(static_cast<int>(utf8.size()));
        utf8 += Utf8FromWide(std::wstring_view(text).substr(i, 1));
    }
    LayoutPtr layout = CreateLayout(MeasuringContext(), utf8, font);
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    std::vector<int> offsets;
    for (int index : bytes) {
        PangoRectangle position;
        pango_layout_index_to_pos(layout.get(), index, &position);
        offsets.push_back(PANGO_PIXELS(position.x));
    }
    int width = 0;
    pango_layout_get_pixel_size(layout.get(), &width, nullptr);
    offsets.push_back(width);
    return offsets;
}

void DrawTextLayout(cairo_t* context, const std::wstring& text, const RECT& rect, const TFontInfo& font,
                    DWORD color, UINT style) {
    if (text.empty() || !context) return;
    LayoutPtr layout = CreateLayout(context, Utf8FromWide(text), font);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (style & UITEXT_WORDWRAP) {
        pango_layout_set_width(layout.get(), width * PANGO_SCALE);
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
        if (style & UITEXT_ELLIPSIS) pango_layout_set_height(layout.get(), height * PANGO_SCALE);
        PangoAlignment alignment = (style & UITEXT_CENTER)  ? PANGO_ALIGN_CENTER
                                   : (style & UITEXT_RIGHT) ? PANGO_ALIGN_RIGHT
                                                            : PANGO_ALIGN_LEFT;
        pango_layout_set_alignment(layout.get(), alignment);
    } else {
        pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
        if (style & UITEXT_ELLIPSIS) pango_layout_set_width(layout.get(), width * PANGO_SCALE);
    }
    if (style & UITEXT_ELLIPSIS) pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);

    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
    int x = (style & UITEXT_WORDWRAP) ? rect.left : AlignedX(rect, logical.width, style) - logical.x;
    int y = AlignedY(rect, logical.height, style);
    cairo_save(context);
    SetSourceColor(context, color);
    cairo_move_to(context, x, y);
    pango_cairo_show_layout(context, layout.get());
    cairo_restore(context);
}

}  // namespace DuiLib
