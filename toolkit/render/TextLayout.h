// Text measured and laid out with pango. Font sizes here are device pixels
// (the caller scales the skin's 96-dpi sizes).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/core/FontInfo.h"

struct _cairo;

namespace DuiLib {

struct TTextExtent {
    int cx = 0;
    int cy = 0;
    int unknownGlyphs = 0;  // characters no installed font could show
};

// The size of the text on one line, or wrapped at wrapWidth when that is > 0.
TTextExtent MeasureText(const std::wstring& text, const TFontInfo& font, int wrapWidth = 0);
// x of every character boundary on one line: text.size() + 1 offsets, the first 0.
std::vector<int> CharacterOffsets(const std::wstring& text, const TFontInfo& font);
// Draws the text into rect with UITextStyle placement.
void DrawTextLayout(struct _cairo* context, const std::wstring& text, const RECT& rect, const TFontInfo& font,
                    DWORD color, UINT style);

}  // namespace DuiLib
