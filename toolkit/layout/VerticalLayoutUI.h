// Children stacked top to bottom; the height left over after fixed-height
// children is shared among the others.
#pragma once

#include "toolkit/core/ContainerUI.h"

namespace DuiLib {

class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;     // L"VerticalLayoutUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"VerticalLayout"
    void SetPos(const RECT& pos) override;
};

}  // namespace DuiLib
