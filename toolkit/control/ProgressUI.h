// A horizontal bar whose fore part covers (value-min)/(max-min) of it.
#pragma once

#include "toolkit/control/LabelUI.h"

namespace DuiLib {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::wstring GetClass() const override;     // L"ProgressUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"Progress"

    int GetValue() const;
    // Ignored when equal to the current value or outside min..max.
    void SetValue(int value);
    int GetMinValue() const;
    void SetMinValue(int value);
    int GetMaxValue() const;
    void SetMaxValue(int value);
    void SetForeImage(LPCWSTR image);
    void SetForeColor(DWORD color);

    void SetAttribute(LPCWSTR name, LPCWSTR value) override;

protected:
    void PaintStatusImage(CRenderContext& render) override;
    RECT ForeRect() const;

    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    std::wstring m_sForeImage;
    DWORD m_dwForeColor = 0;
};

}  // namespace DuiLib
