// CButtonUI: hot and pushed state from the mouse, Space from the keyboard,
// and the look of each state.
#include "toolkit/control/ButtonUI.h"

#include "toolkit/core/AttributeValues.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/core/RectUtil.h"
#include "toolkit/render/RenderContext.h"

namespace DuiLib {

CButtonUI::CButtonUI() { m_uTextStyle = UITEXT_CENTER | UITEXT_VCENTER | UITEXT_ELLIPSIS; }

std::wstring CButtonUI::GetClass() const { return L"ButtonUI"; }

LPVOID CButtonUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Button") return this;
    return CLabelUI::GetInterface(name);
}

bool CButtonUI::Activate() {
    if (!IsEnabledInTree() || !IsVisibleInTree()) return false;
    if (m_pManager) m_pManager->SendNotify(this, L"click");
    return true;
}

bool CButtonUI::IsHot() const { return m_bHot; }
bool CButtonUI::IsPushed() const { return m_bPushed; }
bool CButtonUI::IsFocusable() const { return true; }

void CButtonUI::SetEnabled(bool enabled) {
    if (!enabled) m_bHot = m_bPushed = m_bCaptured = false;
    CLabelUI::SetEnabled(enabled);
}

void CButtonUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    std::wstring key = name ? name : L"";
    std::wstring text = value ? value : L"";
    if (key == L"normalimage") {
        m_sNormalImage = text;
    } else if (key == L"hotimage") {
        m_sHotImage = text;
    } else if (key == L"pushedimage") {
        m_sPushedImage = text;
    } else if (key == L"disabledimage") {
        m_sDisabledImage = text;
    } else if (key == L"focusedimage") {
        m_sFocusedImage = text;
    } else if (key == L"hotbkcolor") {
        m_dwHotBkColor = ParseColor(value);
    } else if (key == L"pushedbkcolor") {
        m_dwPushedBkColor = ParseColor(value);
    } else if (key == L"disabledbkcolor") {
        m_dwDisabledBkColor = ParseColor(value);
    } else if (key == L"hottextcolor") {
        m_dwHotTextColor = ParseColor(value);
    } else if (key == L"pushedtextcolor") {
        m_dwPushedTextColor = ParseColor(value);
    } else if (key == L"cursor") {
        m_bHandCursor = text == L"hand";
    } else {
        CLabelUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

void CButtonUI::OnMouseEnter() {
    if (!IsEnabledInTree()) return;
    m_bHot = true;
    Invalidate();
}

void CButtonUI::OnMouseLeave() {
    m_bHot = false;
    Invalidate();
}

void CButtonUI::OnMouseMove(POINT point) {
    if (!m_bCaptured) return;
    bool inside = RectContains(m_rcItem, point);
    if (inside == m_bPushed) return;
    m_bPushed = inside;
    Invalidate();
}

void CButtonUI::OnButtonDown(POINT) {
    if (!IsEnabledInTree()) return;
    m_bCaptured = m_bPushed = true;
    Invalidate();
}

void CButtonUI::OnButtonUp(POINT point) {
    if (!m_bCaptured) return;
    m_bCaptured = m_bPushed = false;
    Invalidate();
    // Last: a click handler may change or remove this button.
    if (RectContains(m_rcItem, point) && IsEnabledInTree()) Activate();
}

bool CButtonUI::OnKeyDown(UINT key) {
    if (key != VK_SPACE || !IsEnabledInTree()) return false;
    Activate();
    return true;
}

UICursor CButtonUI::GetCursor() const {
    return m_bHandCursor && IsEnabledInTree() ? UICursor::Hand : UICursor::Arrow;
}

void CButtonUI::PaintBkColor(CRenderContext& render) {
    DWORD color = 0;
    if (!IsEnabledInTree()) {
        color = m_dwDisabledBkColor;
    } else if (m_bPushed) {
        color = m_dwPushedBkColor ? m_dwPushedBkColor : m_dwHotBkColor;
    } else if (m_bHot) {
        color = m_dwHotBkColor;
    }
    if (!color) {
        CLabelUI::PaintBkColor(render);
        return;
    }
    render.FillRect(m_rcItem, color, ScaledBorderRound());
}

void CButtonUI::PaintStatusImage(CRenderContext& render) {
    if (!IsEnabledInTree()) {
        if (DrawImage(render, m_sDisabledImage)) return;
    } else if (m_bPushed) {
        if (DrawImage(render, m_sPushedImage) || DrawImage(render, m_sHotImage)) return;
    } else if (m_bHot) {
        if (DrawImage(render, m_sHotImage)) return;
    } else if (IsFocused()) {
        if (DrawImage(render, m_sFocusedImage)) return;
    }
    DrawImage(render, m_sNormalImage);
}

DWORD CButtonUI::StateTextColor() const {
    if (!IsEnabledInTree()) return m_dwDisabledTextColor;
    if (m_bPushed && m_dwPushedTextColor) return m_dwPushedTextColor;
    if ((m_bHot || m_bPushed) && m_dwHotTextColor) return m_dwHotTextColor;
    return m_dwTextColor;
}

void CButtonUI::PaintText(CRenderContext& render) { DrawLabelText(render, StateTextColor()); }

}  // namespace DuiLib
