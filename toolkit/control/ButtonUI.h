// A clickable label with normal, hot, pushed, focused and disabled looks.
#pragma once

#include "toolkit/control/LabelUI.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::wstring GetClass() const override;     // L"ButtonUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"Button"

    // Sends "click" when the button is enabled and shown; false otherwise.
    virtual bool Activate();

    bool IsHot() const;
    bool IsPushed() const;

    bool IsFocusable() const override;
    void SetEnabled(bool enabled = true) override;
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;

    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseMove(POINT point) override;
    void OnButtonDown(POINT point) override;
    void OnButtonUp(POINT point) override;
    bool OnKeyDown(UINT key) override;  // Space activates
    UICursor GetCursor() const override;

protected:
    void PaintBkColor(CRenderContext& render) override;
    void PaintStatusImage(CRenderContext& render) override;
    void PaintText(CRenderContext& render) override;
    DWORD StateTextColor() const;

    bool m_bHot = false;
    bool m_bPushed = false;    // the mouse went down here and is still over it
    bool m_bCaptured = false;  // the mouse went down here and is not yet up
    bool m_bHandCursor = false;
    std::wstring m_sNormalImage, m_sHotImage, m_sPushedImage, m_sDisabledImage, m_sFocusedImage;
    DWORD m_dwHotBkColor = 0, m_dwPushedBkColor = 0, m_dwDisabledBkColor = 0;
    DWORD m_dwHotTextColor = 0, m_dwPushedTextColor = 0;
};

}  // namespace DuiLib
