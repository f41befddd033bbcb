// Small rectangle helpers for layout and hit testing.
#pragma once

#include <windows.h>

namespace DuiLib {

inline bool RectContains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

inline bool RectsIntersect(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

inline bool RectIsEmpty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

}  // namespace DuiLib
