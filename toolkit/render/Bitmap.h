// A decoded image, ready to be drawn.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

struct _cairo_surface;

namespace DuiLib {

class CBitmap {
public:
    // nullptr when the bytes are not a PNG image.
    static std::shared_ptr<CBitmap> FromPng(const std::vector<BYTE>& bytes);
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    int Width() const;
    int Height() const;
    struct _cairo_surface* Surface() const;

private:
    explicit CBitmap(struct _cairo_surface* surface);
    struct _cairo_surface* m_surface;
};

}  // namespace DuiLib
