// CLabelUI: text attributes and drawing the text in its padded rectangle.
#include "toolkit/control/LabelUI.h"

#include <cwctype>

#include "toolkit/core/AttributeValues.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/render/RenderContext.h"

namespace DuiLib {

namespace {

// "left|center|right" and "top|vcenter|bottom", joined with ',' (or '|', ' ').
UINT ParseAlign(const std::wstring& value, UINT style) {
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find_first_of(L",| ", start);
        if (end == std::wstring::npos) end = value.size();
        std::wstring word = value.substr(start, end - start);
        for (wchar_t& c : word) c = static_cast<wchar_t>(std::towlower(c));
        if (word == L"left") style = (style & ~UITEXT_HMASK) | UITEXT_LEFT;
        if (word == L"center") style = (style & ~UITEXT_HMASK) | UITEXT_CENTER;
        if (word == L"right") style = (style & ~UITEXT_HMASK) | UITEXT_RIGHT;
        if (word == L"top") style = (style & ~UITEXT_VMASK) | UITEXT_TOP;
        if (word == L"vcenter") style = (style & ~UITEXT_VMASK) | UITEXT_VCENTER;
        if (word == L"bottom") style = (style & ~UITEXT_VMASK) | UITEXT_BOTTOM;
        start = end + 1;
    }
    return style;
}

}  // namespace

CLabelUI::CLabelUI() = default;

std::wstring CLabelUI::GetClass() const { return L"LabelUI"; }

LPVOID CLabelUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Label") return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    Invalidate();
}
DWORD CLabelUI::GetTextColor() const { return m_dwTextColor; }
void CLabelUI::SetDisabledTextColor(DWORD color) {
    m_dwDisabledTextColor = color;
    Invalidate();
}
void CLabelUI::SetFont(int id) {
    m_iFont = id;
    Invalidate();
}
int CLabelUI::GetFont() const { return m_iFont; }
void CLabelUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}
UINT CLabelUI::GetTextStyle() const { return m_uTextStyle; }
void CLabelUI::SetTextPadding(const RECT& padding) {
    m_rcTextPadding = padding;
    Invalidate();
}
RECT CLabelUI::GetTextPadding() const { return ScaleRect(m_rcTextPadding); }

void CLabelUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    std::wstring key = name ? name : L"";
    if (key == L"textcolor") {
        SetTextColor(ParseColor(value));
    } else if (key == L"disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (key == L"font") {
        SetFont(ParseInt(value));
    } else if (key == L"align") {
        SetTextStyle(ParseAlign(value ? value : L"", m_uTextStyle));
    } else if (key == L"textpadding") {
        SetTextPadding(ParseRect(value));
    } else if (key == L"wordwrap") {
        SetTextStyle(ParseBool(value) ? (m_uTextStyle | UITEXT_WORDWRAP) : (m_uTextStyle & ~UITEXT_WORDWRAP));
    } else if (key == L"endellipsis") {
        SetTextStyle(ParseBool(value) ? (m_uTextStyle | UITEXT_ELLIPSIS) : (m_uTextStyle & ~UITEXT_ELLIPSIS));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

RECT CLabelUI::GetTextRect() const {
    RECT padding = GetTextPadding();
    return RECT{m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
                m_rcItem.bottom - padding.bottom};
}

TFontInfo CLabelUI::GetDeviceFont() const {
    TFontInfo font = m_pManager ? m_pManager->GetFont(m_iFont) : TFontInfo{};
    font.iSize = Scale(font.iSize);
    return font;
}

void CLabelUI::PaintText(CRenderContext& render) {
    DrawLabelText(render, IsEnabledInTree() ? m_dwTextColor : m_dwDisabledTextColor);
}

void CLabelUI::DrawLabelText(CRenderContext& render, DWORD color) {
    if (m_sText.empty()) return;
    render.DrawText(m_sText, GetTextRect(), GetDeviceFont(), color, m_uTextStyle);
}

}  // namespace DuiLib
