// Pages on top of each other; only the selected one is shown.
#pragma once

#include "toolkit/core/ContainerUI.h"

namespace DuiLib {

class CTabLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;     // L"TabLayoutUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"TabLayout"

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    // Shows the page at index and hides the others; false when out of range.
    bool SelectItem(int index);
    int GetCurSel() const;

    void SetAttribute(LPCWSTR name, LPCWSTR value) override;  // selectedid

private:
    void ShowSelected();
    int m_iCurSel = 0;
};

}  // namespace DuiLib
