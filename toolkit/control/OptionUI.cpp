// COptionUI: the selected state, its group, and the looks of being selected.
#include "toolkit/control/OptionUI.h"

#include "toolkit/core/AttributeValues.h"
#include "toolkit/core/ContainerUI.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/render/RenderContext.h"

namespace DuiLib {

namespace {

// Every option of the tree under control, in tree order.
void CollectOptions(CControlUI* control, std::vector<COptionUI*>& options) {
    if (!control) return;
    if (auto* option = static_cast<COptionUI*>(control->GetInterface(L"Option"))) options.push_back(option);
    auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) CollectOptions(container->GetItemAt(i), options);
}

}  // namespace

COptionUI::~COptionUI() = default;

std::wstring COptionUI::GetClass() const { return L"OptionUI"; }

LPVOID COptionUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Option") return this;
    return CButtonUI::GetInterface(name);
}

bool COptionUI::IsSelected() const { return m_bSelected; }

const std::wstring& COptionUI::GetGroup() const { return m_sGroupName; }

void COptionUI::SetGroup(LPCWSTR group) {
    m_sGroupName = group ? group : L"";
    Invalidate();
}

void COptionUI::Selected(bool selected, bool sendNotify) {
    if (m_bSelected == selected) return;
    m_bSelected = selected;
    if (m_pManager) {
        bool grouped = !m_sGroupName.empty();
        if (grouped && selected) DeselectGroupPeers();
        // A grouped option loses its selection only because a peer took it.
        bool tell = sendNotify && m_pManager->HasNotifier() && (!grouped || selected);
        if (tell) m_pManager->SendNotify(this, L"selectchanged");
    }
    Invalidate();
}

void COptionUI::DeselectGroupPeers() {
    std::vector<COptionUI*> options;
    CollectOptions(m_pManager->GetRoot(), options);
    for (COptionUI* option : options) {
        if (option == this || option->m_sGroupName != m_sGroupName || !option->m_bSelected) continue;
        option->m_bSelected = false;
        option->Invalidate();
    }
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_sGroupName.empty()) {
        Selected(true);
    } else {
        Selected(!m_bSelected);
    }
    return true;
}

void COptionUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    std::wstring key = name ? name : L"";
    std::wstring text = value ? value : L"";
    if (key == L"selected") {
        Selected(ParseBool(value));
    } else if (key == L"group") {
        SetGroup(value);
    } else if (key == L"selectedimage") {
        m_sSelectedImage = text;
    } else if (key == L"selectedhotimage") {
        m_sSelectedHotImage = text;
    } else if (key == L"selecteddisabledimage") {
        m_sSelectedDisabledImage = text;
    } else if (key == L"selectedtextcolor") {
        m_dwSelectedTextColor = ParseColor(value);
    } else if (key == L"selectedbkcolor") {
        m_dwSelectedBkColor = ParseColor(value);
    } else {
        CButtonUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

void COptionUI::PaintBkColor(CRenderContext& render) {
    if (m_bSelected && m_dwSelectedBkColor && IsEnabledInTree() && !m_bHot && !m_bPushed) {
        render.FillRect(m_rcItem, m_dwSelectedBkColor, ScaledBorderRound());
        return;
    }
    CButtonUI::PaintBkColor(render);
}

void COptionUI::PaintStatusImage(CRenderContext& render) {
    if (!m_bSelected) {
        CButtonUI::PaintStatusImage(render);
        return;
    }
    if (!IsEnabledInTree()) {
        if (DrawImage(render, m_sSelectedDisabledImage)) return;
    } else if ((m_bHot || m_bPushed) && DrawImage(render, m_sSelectedHotImage)) {
        return;
    }
    if (!DrawImage(render, m_sSelectedImage)) CButtonUI::PaintStatusImage(render);
}

void COptionUI::PaintText(CRenderContext& render) {
    if (m_bSelected && m_dwSelectedTextColor && IsEnabledInTree()) {
        DrawLabelText(render, m_dwSelectedTextColor);
        return;
    }
    CButtonUI::PaintText(render);
}

}  // namespace DuiLib
