// An image in memory to paint controls into, away from any window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/render/RenderContext.h"

struct _cairo_surface;

namespace DuiLib {

class COffscreenSurface {
public:
    COffscreenSurface(int width, int height);  // transparent to start
    ~COffscreenSurface();
    COffscreenSurface(const COffscreenSurface&) = delete;
    COffscreenSurface& operator=(const COffscreenSurface&) = delete;

    CRenderContext& Context();
    // 0xAARRGGBB of a pixel (colour components premultiplied by alpha).
    DWORD GetPixel(int x, int y);
    bool WritePng(const std::string& path);

private:
    struct _cairo_surface* m_surface;
    struct _cairo* m_cairo;
    std::unique_ptr<CRenderContext> m_context;
};

}  // namespace DuiLib
