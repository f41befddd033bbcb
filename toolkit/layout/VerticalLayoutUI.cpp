// CVerticalLayoutUI: the flow from top to bottom, floats placed by their pos.
#include "toolkit/layout/VerticalLayoutUI.h"

#include "toolkit/layout/FlowLayout.h"

namespace DuiLib {

std::wstring CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"VerticalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(const RECT& pos) {
    CControlUI::SetPos(pos);
    FlowChildren(m_items, GetClientRect(), GetChildPadding(), FlowAxis::Vertical);
    for (CControlUI* item : m_items) {
        if (item->IsVisible() && item->IsFloat()) PlaceFloat(item);
    }
}

}  // namespace DuiLib
