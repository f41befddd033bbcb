// A button that stays selected: alone it toggles; in a group one member at a
// time is selected, like radio buttons.
#pragma once

#include "toolkit/control/ButtonUI.h"

namespace DuiLib {

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    std::wstring GetClass() const override;     // L"OptionUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"Option"

    bool IsSelected() const;
    // Same state: nothing. Otherwise the state changes; with a window, a group
    // member becoming selected deselects the other members quietly, and
    // "selectchanged" is sent (not for a group member becoming deselected,
    // and never before the window has a notifier).
    virtual void Selected(bool selected, bool sendNotify = true);
    const std::wstring& GetGroup() const;
    void SetGroup(LPCWSTR group);

    // "click", then a group member is selected and a lone option toggles.
    bool Activate() override;
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;

protected:
    void PaintBkColor(CRenderContext& render) override;
    void PaintStatusImage(CRenderContext& render) override;
    void PaintText(CRenderContext& render) override;
    void DeselectGroupPeers();

    bool m_bSelected = false;
    std::wstring m_sGroupName;
    std::wstring m_sSelectedImage, m_sSelectedHotImage, m_sSelectedDisabledImage;
    DWORD m_dwSelectedTextColor = 0;
    DWORD m_dwSelectedBkColor = 0;
};

}  // namespace DuiLib
