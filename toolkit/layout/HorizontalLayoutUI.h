// Children placed left to right; the width left over after fixed-width
// children is shared among the others.
#pragma once

#include "toolkit/core/ContainerUI.h"

namespace DuiLib {

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;     // L"HorizontalLayoutUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"HorizontalLayout"
    void SetPos(const RECT& pos) override;
};

}  // namespace DuiLib
