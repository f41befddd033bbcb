// A text on an optional background: colour, font, alignment, padding,
// ellipsis on one line or word wrap on several.
#pragma once

#include "toolkit/core/ControlUI.h"
#include "toolkit/core/FontInfo.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    std::wstring GetClass() const override;     // L"LabelUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"Label"

    void SetTextColor(DWORD color);
    DWORD GetTextColor() const;
    void SetDisabledTextColor(DWORD color);
    void SetFont(int id);  // a <Font id>; -1 is the default font
    int GetFont() const;
    void SetTextStyle(UINT style);  // UITextStyle flags
    UINT GetTextStyle() const;
    void SetTextPadding(const RECT& padding);  // 96 dpi
    RECT GetTextPadding() const;               // device pixels

    void SetAttribute(LPCWSTR name, LPCWSTR value) override;

protected:
    void PaintText(CRenderContext& render) override;
    RECT GetTextRect() const;  // the item less the text padding, device pixels
    TFontInfo GetDeviceFont() const;  // the label's font, its size in device pixels
    void DrawLabelText(CRenderContext& render, DWORD color);

    DWORD m_dwTextColor = 0xFF000000;
    DWORD m_dwDisabledTextColor = 0xFF9A9A9A;
    int m_iFont = -1;
    UINT m_uTextStyle = UITEXT_LEFT | UITEXT_VCENTER | UITEXT_ELLIPSIS;
    RECT m_rcTextPadding{};
};

}  // namespace DuiLib
