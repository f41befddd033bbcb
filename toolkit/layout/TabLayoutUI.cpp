// CTabLayoutUI: a container whose children are shown one at a time.
#include "toolkit/layout/TabLayoutUI.h"

#include "toolkit/core/AttributeValues.h"

namespace DuiLib {

std::wstring CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }

LPVOID CTabLayoutUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"TabLayout") return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    ShowSelected();
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control)) return false;
    if (index < m_iCurSel || m_iCurSel >= GetCount()) m_iCurSel = m_iCurSel > 0 ? m_iCurSel - 1 : 0;
    ShowSelected();
    return true;
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_iCurSel) return true;
    m_iCurSel = index;
    ShowSelected();
    return true;
}

int CTabLayoutUI::GetCurSel() const { return m_iCurSel; }

void CTabLayoutUI::ShowSelected() {
    for (int i = 0; i < GetCount(); ++i) m_items[static_cast<size_t>(i)]->SetVisible(i == m_iCurSel);
    NeedUpdate();
}

void CTabLayoutUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (name && std::wstring(name) == L"selectedid") {
        m_iCurSel = ParseInt(value);
        ShowSelected();
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

}  // namespace DuiLib
