// CContainerUI: owning children, passing the window down to them, hit testing
// topmost first, painting in order, and the stacked placement of a plain container.
#include "toolkit/core/ContainerUI.h"

#include <algorithm>

#include "toolkit/core/AttributeValues.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/core/RectUtil.h"
#include "toolkit/render/RenderContext.h"

namespace DuiLib {

CContainerUI::~CContainerUI() {
    // Children go first, while this container is still whole.
    std::vector<CControlUI*> items;
    items.swap(m_items);
    for (CControlUI* item : items) delete item;
}

std::wstring CContainerUI::GetClass() const { return L"ContainerUI"; }

LPVOID CContainerUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Container") return this;
    return CControlUI::GetInterface(name);
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, static_cast<int>(m_items.size())); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    // A control belongs to one container at a time.
    if (!control || control == this || control->GetParent() || GetItemIndex(control) >= 0) return false;
    if (index < 0 || index > static_cast<int>(m_items.size())) return false;
    m_items.insert(m_items.begin() + index, control);
    control->SetManager(m_pManager, this, m_pManager != nullptr);
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    m_items.erase(m_items.begin() + index);
    delete control;
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(m_items);
    for (CControlUI* item : items) delete item;
    NeedUpdate();
}

int CContainerUI::GetCount() const { return static_cast<int>(m_items.size()); }

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= static_cast<int>(m_items.size())) return nullptr;
    return m_items[static_cast<size_t>(index)];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto found = std::find(m_items.begin(), m_items.end(), control);
    return found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

RECT CContainerUI::GetInset() const { return ScaleRect(m_rcInset); }

void CContainerUI::SetInset(const RECT& inset) {
    m_rcInset = inset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return Scale(m_iChildPadding); }

void CContainerUI::SetChildPadding(int padding) {
    m_iChildPadding = padding;
    NeedUpdate();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, init);
    // By index: a child's DoInit may add more children, which join as well.
    for (size_t i = 0; i < m_items.size(); ++i) m_items[i]->SetManager(manager, this, init);
}

void CContainerUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    std::wstring key = name ? name : L"";
    if (key == L"inset") {
        SetInset(ParseRect(value));
    } else if (key == L"childpadding") {
        SetChildPadding(ParseInt(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

RECT CContainerUI::GetClientRect() const {
    RECT inset = GetInset();
    RECT client{m_rcItem.left + inset.left, m_rcItem.top + inset.top, m_rcItem.right - inset.right,
                m_rcItem.bottom - inset.bottom};
    if (client.right < client.left) client.right = client.left;
    if (client.bottom < client.top) client.bottom = client.top;
    return client;
}

void CContainerUI::PlaceFloat(CControlUI* control) {
    RECT client = GetClientRect();
    RECT pos = control->GetFloatPos();
    control->SetPos(RECT{client.left + pos.left, client.top + pos.top, client.left + pos.right, client.top + pos.bottom});
}

void CContainerUI::SetPos(const RECT& pos) {
    CControlUI::SetPos(pos);
    RECT client = GetClientRect();
    SIZE available{client.right - client.left, client.bottom - client.top};
    for (CControlUI* item : m_items) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            PlaceFloat(item);
            continue;
        }
        RECT padding = item->GetPadding();
        RECT rect{client.left + padding.left, client.top + padding.top, client.right - padding.right,
                  client.bottom - padding.bottom};
        SIZE wanted = item->EstimateSize(available);
        if (wanted.cx > 0) rect.right = rect.left + wanted.cx;
        if (wanted.cy > 0) rect.bottom = rect.top + wanted.cy;
        item->SetPos(rect);
    }
}

CControlUI* CContainerUI::FindControlAt(POINT point) {
    if (!IsVisible() || !RectContains(m_rcItem, point)) return nullptr;
    // Later children are drawn over earlier ones.
    for (auto item = m_items.rbegin(); item != m_items.rend(); ++item) {
        if (CControlUI* found = (*item)->FindControlAt(point)) return found;
    }
    return this;
}

void CContainerUI::PaintChildren(CRenderContext& render, const RECT& paint) {
    for (CControlUI* item : m_items) {
        if (item->IsVisible()) item->DoPaint(render, paint);
    }
}

}  // namespace DuiLib
