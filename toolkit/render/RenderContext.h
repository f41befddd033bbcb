// Drawing for controls, in device pixels: fills, gradients, borders with
// rounded corners, images (whole, part, 9-slice) and text.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/core/FontInfo.h"

struct _cairo;

namespace DuiLib {

class CBitmap;

class CRenderContext {
public:
    // Draws through the device context of a paint (BeginPaint).
    explicit CRenderContext(HDC dc);
    // Draws on a cairo context the caller keeps (off-screen surfaces).
    explicit CRenderContext(struct _cairo* context);
    ~CRenderContext();
    CRenderContext(const CRenderContext&) = delete;
    CRenderContext& operator=(const CRenderContext&) = delete;

    bool IsValid() const;

    // Clips everything drawn until the matching PopClip.
    void PushClip(const RECT& rect, SIZE round = {});
    void PopClip();

    // Colours are 0xAARRGGBB; round is the corner radii (x, y).
    void FillRect(const RECT& rect, DWORD color, SIZE round = {});
    void FillGradient(const RECT& rect, DWORD top, DWORD bottom, SIZE round = {});
    void DrawBorder(const RECT& rect, int width, DWORD color, SIZE round = {});
    // Draws source (bitmap pixels) into dest. With corners, the borders keep
    // their size (sourceCorner in bitmap pixels, destCorner in device pixels)
    // and the middle stretches.
    void DrawBitmap(const CBitmap& bitmap, const RECT& dest, const RECT& source, const RECT& sourceCorner = {},
                    const RECT& destCorner = {});
    // font.iSize in device pixels; style: UITextStyle flags.
    void DrawText(const std::wstring& text, const RECT& rect, const TFontInfo& font, DWORD color, UINT style);

private:
    HDC m_dc = nullptr;
    struct _cairo* m_context = nullptr;
    bool m_fromDC = false;
};

}  // namespace DuiLib
