// Rectangle arithmetic. A rectangle holds its left and top edge, not its
// right and bottom one; one without area is empty.
#include <windows.h>

#include <algorithm>

extern "C" BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

extern "C" BOOL WINAPI SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }

extern "C" BOOL WINAPI CopyRect(LPRECT destination, const RECT* source) {
    if (!destination || !source) return FALSE;
    *destination = *source;
    return TRUE;
}

extern "C" BOOL WINAPI IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

extern "C" BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

extern "C" BOOL WINAPI PtInRect(const RECT* rect, POINT point) {
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
           point.y < rect->bottom;
}

extern "C" BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx, rect->right += dx, rect->top += dy, rect->bottom += dy;
    return TRUE;
}

extern "C" BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left -= dx, rect->right += dx, rect->top -= dy, rect->bottom += dy;
    return TRUE;
}

extern "C" BOOL WINAPI IntersectRect(LPRECT destination, const RECT* a, const RECT* b) {
    if (!destination || !a || !b) return FALSE;
    RECT overlap = {std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                    std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&overlap)) {
        SetRectEmpty(destination);
        return FALSE;
    }
    *destination = overlap;
    return TRUE;
}

extern "C" BOOL WINAPI UnionRect(LPRECT destination, const RECT* a, const RECT* b) {
    if (!destination || !a || !b) return FALSE;
    if (IsRectEmpty(a) && IsRectEmpty(b)) {
        SetRectEmpty(destination);
        return FALSE;
    }
    if (IsRectEmpty(a)) return CopyRect(destination, b);
    if (IsRectEmpty(b)) return CopyRect(destination, a);
    *destination = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom)};
    return TRUE;
}
