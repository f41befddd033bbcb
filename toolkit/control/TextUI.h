// A label meant for running text.
#pragma once

#include "toolkit/control/LabelUI.h"

namespace DuiLib {

class CTextUI : public CLabelUI {
public:
    std::wstring GetClass() const override;     // L"TextUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"Text"
};

}  // namespace DuiLib
