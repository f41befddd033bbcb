// CControlUI: state, attributes, the shared painting steps and default events.
#include "toolkit/core/ControlUI.h"

#include <algorithm>

#include "toolkit/core/AttributeValues.h"
#include "toolkit/core/ImageCache.h"
#include "toolkit/core/ImageDrawInfo.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/core/RectUtil.h"
#include "toolkit/render/Bitmap.h"
#include "toolkit/render/RenderContext.h"

namespace DuiLib {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_pManager) m_pManager->ReapObjects(this);
}

std::wstring CControlUI::GetClass() const { return L"ControlUI"; }

LPVOID CControlUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Control") return this;
    return nullptr;
}

const std::wstring& CControlUI::GetName() const { return m_sName; }

void CControlUI::SetName(LPCWSTR name) {
    std::wstring old = m_sName;
    m_sName = name ? name : L"";
    if (m_pManager && old != m_sName) m_pManager->RenameControl(this, old);
}

std::wstring CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(LPCWSTR text) {
    std::wstring value = text ? text : L"";
    if (value == m_sText) return;
    m_sText = value;
    Invalidate();
}

bool CControlUI::IsVisible() const { return m_bVisible; }

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    m_bVisible = visible;
    if (!visible && m_pManager) {
        // Focus never stays on a control that can no longer be seen.
        for (CControlUI* focus = m_pManager->GetFocus(); focus; focus = focus->GetParent()) {
            if (focus == this) {
                m_pManager->SetFocus(nullptr);
                break;
            }
        }
    }
    NeedUpdate();
}

bool CControlUI::IsVisibleInTree() const {
    for (const CControlUI* control = this; control; control = control->m_pParent) {
        if (!control->IsVisible()) return false;
    }
    return true;
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool enabled) {
    if (m_bEnabled == enabled) return;
    m_bEnabled = enabled;
    if (!enabled && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
    Invalidate();
}

bool CControlUI::IsEnabledInTree() const {
    for (const CControlUI* control = this; control; control = control->m_pParent) {
        if (!control->IsEnabled()) return false;
    }
    return true;
}

int CControlUI::GetFixedHeight() const { return Scale(m_cxyFixed.cy); }
void CControlUI::SetFixedHeight(int height) {
    m_cxyFixed.cy = std::max(0, height);
    NeedUpdate();
}
int CControlUI::GetFixedWidth() const { return Scale(m_cxyFixed.cx); }
void CControlUI::SetFixedWidth(int width) {
    m_cxyFixed.cx = std::max(0, width);
    NeedUpdate();
}
int CControlUI::GetMinWidth() const { return Scale(m_cxyMin.cx); }
void CControlUI::SetMinWidth(int width) {
    m_cxyMin.cx = std::max(0, width);
    NeedUpdate();
}
int CControlUI::GetMinHeight() const { return Scale(m_cxyMin.cy); }
void CControlUI::SetMinHeight(int height) {
    m_cxyMin.cy = std::max(0, height);
    NeedUpdate();
}

RECT CControlUI::GetPadding() const { return ScaleRect(m_rcPadding); }
void CControlUI::SetPadding(const RECT& padding) {
    m_rcPadding = padding;
    NeedUpdate();
}

bool CControlUI::IsFloat() const { return m_bFloat; }
void CControlUI::SetFloat(bool isFloat) {
    m_bFloat = isFloat;
    NeedUpdate();
}

void CControlUI::SetFloatPos(const RECT& pos) {
    m_rcFloatPos = pos;
    NeedUpdate();
}

RECT CControlUI::GetFloatPos() const {
    RECT pos = ScaleRect(m_rcFloatPos);
    int width = GetFixedWidth();
    int height = GetFixedHeight();
    if (width > 0) pos.right = pos.left + width;
    if (height > 0) pos.bottom = pos.top + height;
    return pos;
}

DWORD CControlUI::GetBkColor() const { return m_dwBackColor; }
void CControlUI::SetBkColor(DWORD color) {
    m_dwBackColor = color;
    Invalidate();
}
void CControlUI::SetBkColor2(DWORD color) {
    m_dwBackColor2 = color;
    Invalidate();
}
void CControlUI::SetBorderColor(DWORD color) {
    m_dwBorderColor = color;
    Invalidate();
}
void CControlUI::SetBorderSize(int size) {
    m_nBorderSize = std::max(0, size);
    Invalidate();
}
void CControlUI::SetBorderRound(SIZE round) {
    m_cxyBorderRound = round;
    Invalidate();
}
void CControlUI::SetFocusBorderColor(DWORD color) {
    m_dwFocusBorderColor = color;
    Invalidate();
}
const std::wstring& CControlUI::GetBkImage() const { return m_sBkImage; }
void CControlUI::SetBkImage(LPCWSTR image) {
    m_sBkImage = image ? image : L"";
    Invalidate();
}

bool CControlUI::IsFocusable() const { return false; }
bool CControlUI::IsTabStop() const { return m_bTabStop; }
void CControlUI::SetTabStop(bool tabStop) { m_bTabStop = tabStop; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->SetFocus(this);
}

void CControlUI::Invalidate() {
    if (m_pManager && !RectIsEmpty(m_rcItem)) m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::DoInit() {}

CPaintManagerUI* CControlUI::GetManager() const { return m_pManager; }
CControlUI* CControlUI::GetParent() const { return m_pParent; }

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    if (m_pManager && m_pManager != manager) m_pManager->ReapObjects(this);
    m_pManager = manager;
    m_pParent = parent;
    if (!init || !manager) return;
    manager->InitControl(this);
    if (m_bInited) return;
    m_bInited = true;
    DoInit();
}

void CControlUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    std::wstring key = name ? name : L"";
    if (key == L"name") {
        SetName(value);
    } else if (key == L"text") {
        SetText(value);
    } else if (key == L"pos") {
        RECT pos = ParseRect(value);
        m_cxyFixed.cx = std::max<LONG>(0, pos.right - pos.left);
        m_cxyFixed.cy = std::max<LONG>(0, pos.bottom - pos.top);
        SetFloatPos(pos);
    } else if (key == L"float") {
        SetFloat(ParseBool(value));
    } else if (key == L"width") {
        SetFixedWidth(ParseInt(value));
    } else if (key == L"height") {
        SetFixedHeight(ParseInt(value));
    } else if (key == L"minwidth") {
        SetMinWidth(ParseInt(value));
    } else if (key == L"minheight") {
        SetMinHeight(ParseInt(value));
    } else if (key == L"padding") {
        SetPadding(ParseRect(value));
    } else if (key == L"visible") {
        SetVisible(ParseBool(value));
    } else if (key == L"enabled") {
        SetEnabled(ParseBool(value));
    } else if (key == L"bkcolor") {
        SetBkColor(ParseColor(value));
    } else if (key == L"bkcolor2") {
        SetBkColor2(ParseColor(value));
    } else if (key == L"bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (key == L"bordersize") {
        SetBorderSize(ParseInt(value));
    } else if (key == L"borderround") {
        SetBorderRound(ParseSize(value));
    } else if (key == L"bkimage") {
        SetBkImage(value);
    } else if (key == L"tabstop") {
        SetTabStop(ParseBool(value));
    } else if (key == L"focusbordercolor") {
        SetFocusBorderColor(ParseColor(value));
    }
}

void CControlUI::ApplyAttributeList(LPCWSTR list) {
    for (const auto& [name, value] : ParseAttributeList(list)) SetAttribute(name.c_str(), value.c_str());
}

const RECT& CControlUI::GetPos() const { return m_rcItem; }

// Layout runs after NeedUpdate, which repaints the whole window anyway.
void CControlUI::SetPos(const RECT& pos) { m_rcItem = pos; }

SIZE CControlUI::EstimateSize(SIZE) { return SIZE{GetFixedWidth(), GetFixedHeight()}; }

CControlUI* CControlUI::FindControlAt(POINT point) {
    if (!IsVisible() || !RectContains(m_rcItem, point)) return nullptr;
    return this;
}

void CControlUI::DoPaint(CRenderContext& render, const RECT& paint) {
    if (!RectsIntersect(paint, m_rcItem)) return;
    render.PushClip(m_rcItem, ScaledBorderRound());
    PaintBkColor(render);
    PaintBkImage(render);
    PaintStatusImage(render);
    PaintText(render);
    PaintChildren(render, paint);
    render.PopClip();
    PaintBorder(render);
}

void CControlUI::PaintChildren(CRenderContext&, const RECT&) {}

void CControlUI::PaintBkColor(CRenderContext& render) {
    if (!m_dwBackColor) return;
    SIZE round = ScaledBorderRound();
    if (m_dwBackColor2) {
        render.FillGradient(m_rcItem, m_dwBackColor, m_dwBackColor2, round);
    } else {
        render.FillRect(m_rcItem, m_dwBackColor, round);
    }
}

void CControlUI::PaintBkImage(CRenderContext& render) { DrawImage(render, m_sBkImage); }
void CControlUI::PaintStatusImage(CRenderContext&) {}
void CControlUI::PaintText(CRenderContext&) {}

void CControlUI::PaintBorder(CRenderContext& render) {
    SIZE round = ScaledBorderRound();
    if (m_dwBorderColor && m_nBorderSize > 0) render.DrawBorder(m_rcItem, Scale(m_nBorderSize), m_dwBorderColor, round);
    // Keyboard users must see where the focus is; an edit always shows it.
    bool showFocus = m_pManager && (m_pManager->ShowsFocusCues() || GetInterface(L"Edit"));
    if (IsFocused() && showFocus) render.DrawBorder(m_rcItem, std::max(1, Scale(1)), m_dwFocusBorderColor, round);
}

bool CControlUI::DrawImage(CRenderContext& render, const std::wstring& image) {
    return DrawImage(render, image, m_rcItem);
}

bool CControlUI::DrawImage(CRenderContext& render, const std::wstring& image, const RECT& area) {
    if (image.empty()) return false;
    TDrawInfo info = ParseDrawInfo(image);
    bool hiDpi = m_pManager && m_pManager->GetDPI() >= 144;
    TImageEntry entry = LoadSkinImage(info.sFile, hiDpi);
    if (!entry.bitmap) return false;
    const int factor = entry.factor;
    const CBitmap& bitmap = *entry.bitmap;

    RECT source{0, 0, bitmap.Width(), bitmap.Height()};
    if (info.bHasSource) {
        source = RECT{info.rcSource.left * factor, info.rcSource.top * factor, info.rcSource.right * factor,
                      info.rcSource.bottom * factor};
        source.right = std::min<LONG>(source.right, bitmap.Width());
        source.bottom = std::min<LONG>(source.bottom, bitmap.Height());
    }
    RECT corner{info.rcCorner.left * factor, info.rcCorner.top * factor, info.rcCorner.right * factor,
                info.rcCorner.bottom * factor};
    RECT dest = area;
    if (info.bHasDest) {
        RECT offset = ScaleRect(info.rcDest);
        dest = RECT{area.left + offset.left, area.top + offset.top, area.left + offset.right, area.top + offset.bottom};
    }
    render.DrawBitmap(bitmap, dest, source, corner, ScaleRect(info.rcCorner));
    return true;
}

SIZE CControlUI::ScaledBorderRound() const { return SIZE{Scale(m_cxyBorderRound.cx), Scale(m_cxyBorderRound.cy)}; }

int CControlUI::Scale(int value) const { return m_pManager ? m_pManager->Scale(value) : value; }

RECT CControlUI::ScaleRect(const RECT& rect) const { return m_pManager ? m_pManager->Scale(rect) : rect; }

void CControlUI::OnMouseEnter() {}
void CControlUI::OnMouseLeave() {}
void CControlUI::OnMouseMove(POINT) {}
void CControlUI::OnButtonDown(POINT) {}
void CControlUI::OnButtonUp(POINT) {}
bool CControlUI::OnKeyDown(UINT) { return false; }
bool CControlUI::OnChar(WCHAR) { return false; }

void CControlUI::OnSetFocus() {
    m_bFocused = true;
    Invalidate();
}

void CControlUI::OnKillFocus() {
    m_bFocused = false;
    Invalidate();
}

void CControlUI::OnTimer(UINT_PTR id) {
    if (m_pManager) m_pManager->SendNotify(this, L"timer", id);
}

UICursor CControlUI::GetCursor() const { return UICursor::Arrow; }

}  // namespace DuiLib
