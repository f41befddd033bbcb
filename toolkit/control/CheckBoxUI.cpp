// CCheckBoxUI: an option known by its own class name.
#include "toolkit/control/CheckBoxUI.h"

namespace DuiLib {

std::wstring CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

LPVOID CCheckBoxUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"CheckBox") return this;
    return COptionUI::GetInterface(name);
}

}  // namespace DuiLib
