// CPaintManagerUI's part of the window procedure: painting, and mouse and
// keyboard input routed to the controls (hot, pushed and focused ones).
#include <climits>

#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/render/RenderContext.h"

namespace DuiLib {

namespace {

POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

bool CPaintManagerUI::PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // A filter may remove itself while it runs.
    std::vector<IMessageFilterUI*> filters = m_filters;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        LRESULT answer = filter->MessageHandler(msg, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    if (msg == WM_KEYDOWN && wParam == VK_TAB) {
        bool backwards = ::GetKeyState(VK_SHIFT) < 0;
        SetNextTabControl(!backwards);
        result = 0;
        return true;
    }
    return false;
}

bool CPaintManagerUI::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_PAINT:
        return OnPaint(result);
    case WM_ERASEBKGND:
        // The controls cover the whole client area: erasing first would only flicker.
        result = 1;
        return true;
    case WM_SIZE:
        NeedUpdate();
        return false;
    case WM_TIMER:
        return OnTimer(wParam);
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<LPMINMAXINFO>(lParam));
        return false;
    case WM_MOUSEMOVE:
        OnMouseMove(PointFromLParam(lParam));
        return true;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(PointFromLParam(lParam));
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(PointFromLParam(lParam));
        return true;
    case WM_CAPTURECHANGED:
        if (m_pEventClick && reinterpret_cast<HWND>(lParam) != m_hWndPaint) {
            // Capture taken away: the press ends without a click.
            CControlUI* click = m_pEventClick;
            m_pEventClick = nullptr;
            click->OnButtonUp(POINT{INT_MIN / 2, INT_MIN / 2});
        }
        return false;
    case WM_SETCURSOR:
        return OnSetCursor(lParam, result);
    case WM_KEYDOWN:
        return OnKeyDown(wParam);
    case WM_CHAR:
        return OnChar(wParam);
    default:
        return false;
    }
}

bool CPaintManagerUI::OnPaint(LRESULT& result) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWndPaint, &paint);
    if (dc) {
        CRenderContext render(dc);
        Paint(render, paint.rcPaint);
    }
    ::EndPaint(m_hWndPaint, &paint);
    result = 0;
    return true;
}

void CPaintManagerUI::OnGetMinMaxInfo(LPMINMAXINFO info) {
    // The skin's mininfo is the smallest size the user may drag the window to.
    SIZE minimum = GetMinInfo();
    if (!info || minimum.cx <= 0 || minimum.cy <= 0) return;
    info->ptMinTrackSize.x = minimum.cx;
    info->ptMinTrackSize.y = minimum.cy;
}

void CPaintManagerUI::SetHot(CControlUI* control) {
    if (control == m_pEventHover) return;
    CControlUI* old = m_pEventHover;
    m_pEventHover = control;
    if (old) old->OnMouseLeave();
    if (control && m_pEventHover == control) control->OnMouseEnter();
}

void CPaintManagerUI::OnMouseMove(POINT point) {
    m_ptLastMouse = point;
    UpdateLayout();
    if (!m_bMouseTracking && m_hWndPaint) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWndPaint;
        track.dwHoverTime = HOVER_DEFAULT;
        m_bMouseTracking = ::TrackMouseEvent(&track) != FALSE;
    }
    CControlUI* hover = FindControlAt(point);
    if (hover && !hover->IsEnabledInTree()) hover = nullptr;
    // While a press lasts, only the pressed control can be hot.
    if (m_pEventClick && hover != m_pEventClick) hover = nullptr;
    SetHot(hover);
    if (m_pEventClick) m_pEventClick->OnMouseMove(point);
}

void CPaintManagerUI::OnMouseLeave() {
    m_bMouseTracking = false;
    if (!m_pEventClick) SetHot(nullptr);
}

void CPaintManagerUI::OnButtonDown(POINT point) {
    m_ptLastMouse = point;
    UpdateLayout();
    CControlUI* control = FindControlAt(point);
    if (control && !control->IsEnabledInTree()) control = nullptr;
    if (control && control->IsFocusable()) {
        SetFocus(control);
    } else if (m_pFocus && m_pFocus->GetInterface(L"Edit")) {
        SetFocus(nullptr);
    }
    if (!control) return;
    m_pEventClick = control;
    if (m_hWndPaint) ::SetCapture(m_hWndPaint);
    control->OnButtonDown(point);
}

void CPaintManagerUI::OnButtonUp(POINT point) {
    m_ptLastMouse = point;
    if (!m_pEventClick) return;
    CControlUI* click = m_pEventClick;
    m_pEventClick = nullptr;
    if (m_hWndPaint) ::ReleaseCapture();
    click->OnButtonUp(point);
}

bool CPaintManagerUI::OnSetCursor(LPARAM lParam, LRESULT& result) {
    if (LOWORD(lParam) != HTCLIENT) return false;
    POINT point = m_ptLastMouse;
    if (::GetCursorPos(&point)) ::ScreenToClient(m_hWndPaint, &point);
    CControlUI* control = FindControlAt(point);
    UICursor cursor = control && control->IsEnabledInTree() ? control->GetCursor() : UICursor::Arrow;
    if (cursor == UICursor::Arrow) return false;
    ::SetCursor(::LoadCursorW(nullptr, cursor == UICursor::Hand ? IDC_HAND : IDC_IBEAM));
    result = TRUE;
    return true;
}

bool CPaintManagerUI::OnKeyDown(WPARAM key) {
    if (!m_pFocus || !m_pFocus->IsVisibleInTree() || !m_pFocus->IsEnabledInTree()) return false;
    return m_pFocus->OnKeyDown(static_cast<UINT>(key));
}

bool CPaintManagerUI::OnChar(WPARAM ch) {
    if (!m_pFocus || !m_pFocus->IsVisibleInTree() || !m_pFocus->IsEnabledInTree()) return false;
    return m_pFocus->OnChar(static_cast<WCHAR>(ch));
}

bool CPaintManagerUI::OnTimer(WPARAM id) {
    for (const ControlTimer& timer : m_timers) {
        if (timer.windowTimer != id) continue;
        timer.control->OnTimer(timer.id);
        return true;
    }
    return false;
}

}  // namespace DuiLib

