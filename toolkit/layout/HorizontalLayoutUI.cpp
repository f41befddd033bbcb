// CHorizontalLayoutUI: the flow from left to right, floats placed by their pos.
#include "toolkit/layout/HorizontalLayoutUI.h"

#include "toolkit/layout/FlowLayout.h"

namespace DuiLib {

std::wstring CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"HorizontalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(const RECT& pos) {
    CControlUI::SetPos(pos);
    FlowChildren(m_items, GetClientRect(), GetChildPadding(), FlowAxis::Horizontal);
    for (CControlUI* item : m_items) {
        if (item->IsVisible() && item->IsFloat()) PlaceFloat(item);
    }
}

}  // namespace DuiLib
