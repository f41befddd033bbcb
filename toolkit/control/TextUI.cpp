// CTextUI: a label by another name.
#include "toolkit/control/TextUI.h"

namespace DuiLib {

std::wstring CTextUI::GetClass() const { return L"TextUI"; }

LPVOID CTextUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Text") return this;
    return CLabelUI::GetInterface(name);
}

}  // namespace DuiLib
