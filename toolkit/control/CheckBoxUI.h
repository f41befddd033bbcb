// An option without a group: a check box that toggles. Its images cover the
// whole control; a box drawn at their left with textpadding moving the text.
#pragma once

#include "toolkit/control/OptionUI.h"

namespace DuiLib {

class CCheckBoxUI : public COptionUI {
public:
    std::wstring GetClass() const override;     // L"CheckBoxUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"CheckBox"
};

}  // namespace DuiLib
