// CProgressUI: the range and value, and the fore part drawn over the background.
#include "toolkit/control/ProgressUI.h"

#include "toolkit/core/AttributeValues.h"
#include "toolkit/render/RenderContext.h"

namespace DuiLib {

CProgressUI::CProgressUI() { m_uTextStyle = UITEXT_CENTER | UITEXT_VCENTER | UITEXT_ELLIPSIS; }

std::wstring CProgressUI::GetClass() const { return L"ProgressUI"; }

LPVOID CProgressUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Progress") return this;
    return CLabelUI::GetInterface(name);
}

int CProgressUI::GetValue() const { return m_nValue; }

void CProgressUI::SetValue(int value) {
    if (value == m_nValue || value < m_nMin || value > m_nMax) return;
    m_nValue = value;
    Invalidate();
}

int CProgressUI::GetMinValue() const { return m_nMin; }
void CProgressUI::SetMinValue(int value) {
    m_nMin = value;
    Invalidate();
}
int CProgressUI::GetMaxValue() const { return m_nMax; }
void CProgressUI::SetMaxValue(int value) {
    m_nMax = value;
    Invalidate();
}
void CProgressUI::SetForeImage(LPCWSTR image) {
    m_sForeImage = image ? image : L"";
    Invalidate();
}
void CProgressUI::SetForeColor(DWORD color) {
    m_dwForeColor = color;
    Invalidate();
}

void CProgressUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    std::wstring key = name ? name : L"";
    if (key == L"min") {
        SetMinValue(ParseInt(value));
    } else if (key == L"max") {
        SetMaxValue(ParseInt(value));
    } else if (key == L"value") {
        SetValue(ParseInt(value));
    } else if (key == L"foreimage") {
        SetForeImage(value);
    } else if (key == L"forecolor") {
        SetForeColor(ParseColor(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

RECT CProgressUI::ForeRect() const {
    RECT fore = m_rcItem;
    if (m_nMax <= m_nMin) {
        fore.right = fore.left;
        return fore;
    }
    long long width = m_rcItem.right - m_rcItem.left;
    long long done = static_cast<long long>(m_nValue) - m_nMin;
    fore.right = fore.left + static_cast<LONG>(width * done / (static_cast<long long>(m_nMax) - m_nMin));
    return fore;
}

void CProgressUI::PaintStatusImage(CRenderContext& render) {
    RECT fore = ForeRect();
    if (fore.right <= fore.left) return;
    if (m_dwForeColor) render.FillRect(fore, m_dwForeColor, ScaledBorderRound());
    if (m_sForeImage.empty()) return;
    render.PushClip(fore);
    DrawImage(render, m_sForeImage, fore);
    render.PopClip();
}

}  // namespace DuiLib
