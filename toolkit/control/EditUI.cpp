// CEditUI: text editing on a caret and a selection anchor, measured with the
// control's own font so that caret, selection and clicks meet the glyphs.
#include "toolkit/control/EditUI.h"

#include <algorithm>

#include "toolkit/core/AttributeValues.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/render/RenderContext.h"
#include "toolkit/render/TextLayout.h"

namespace DuiLib {

namespace {

constexpr UINT kCaretBlinkTimer = 1;
constexpr UINT kCaretBlinkTime = 530;
constexpr DWORD kSelectionColor = 0x602F6BFF;

bool KeyHeld(int key) { return ::GetKeyState(key) < 0; }

}  // namespace

CEditUI::CEditUI() { m_uTextStyle = UITEXT_LEFT | UITEXT_VCENTER; }

std::wstring CEditUI::GetClass() const { return L"EditUI"; }

LPVOID CEditUI::GetInterface(LPCWSTR name) {
    if (name && std::wstring(name) == L"Edit") return this;
    return CLabelUI::GetInterface(name);
}

void CEditUI::SetText(LPCWSTR text) {
    m_sText = text ? text : L"";
    m_nCaret = m_nAnchor = static_cast<int>(m_sText.size());
    m_nScroll = 0;
    KeepCaretVisible();
    Invalidate();
}

void CEditUI::SetMaxChar(int count) { m_nMaxChar = count; }
int CEditUI::GetMaxChar() const { return m_nMaxChar; }
void CEditUI::SetReadOnly(bool readOnly) { m_bReadOnly = readOnly; }
bool CEditUI::IsReadOnly() const { return m_bReadOnly; }
void CEditUI::SetTipValue(LPCWSTR text) {
    m_sTipValue = text ? text : L"";
    Invalidate();
}
const std::wstring& CEditUI::GetTipValue() const { return m_sTipValue; }

void CEditUI::SetSel(int start, int end) {
    int length = static_cast<int>(m_sText.size());
    if (end < 0 || end > length) end = length;
    m_nAnchor = std::clamp(start, 0, length);
    m_nCaret = end;
    KeepCaretVisible();
    Invalidate();
}

int CEditUI::GetSelStart() const { return std::min(m_nCaret, m_nAnchor); }
int CEditUI::GetSelEnd() const { return std::max(m_nCaret, m_nAnchor); }
int CEditUI::GetCaretPos() const { return m_nCaret; }
bool CEditUI::HasSelection() const { return m_nCaret != m_nAnchor; }
bool CEditUI::IsFocusable() const { return true; }

void CEditUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    std::wstring key = name ? name : L"";
    if (key == L"maxchar") {
        SetMaxChar(ParseInt(value));
    } else if (key == L"readonly") {
        SetReadOnly(ParseBool(value));
    } else if (key == L"tipvalue") {
        SetTipValue(value);
    } else if (key == L"tipvaluecolor") {
        m_dwTipValueColor = ParseColor(value);
    } else if (key == L"nativebkcolor") {
        m_dwNativeBkColor = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CEditUI::ReplaceSelection(const std::wstring& text) {
    int start = GetSelStart();
    int end = GetSelEnd();
    std::wstring inserted = text;
    if (m_nMaxChar > 0) {
        int room = m_nMaxChar - (static_cast<int>(m_sText.size()) - (end - start));
        inserted.resize(static_cast<size_t>(std::clamp(room, 0, static_cast<int>(inserted.size()))));
    }
    if (inserted.empty() && start == end) return;
    m_sText.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), inserted);
    m_nCaret = m_nAnchor = start + static_cast<int>(inserted.size());
    KeepCaretVisible();
    RestartCaretBlink();
    Invalidate();
    TextChanged();
}

void CEditUI::MoveCaret(int position, bool extend) {
    m_nCaret = std::clamp(position, 0, static_cast<int>(m_sText.size()));
    if (!extend) m_nAnchor = m_nCaret;
    KeepCaretVisible();
    RestartCaretBlink();
    Invalidate();
}

void CEditUI::TextChanged() {
    if (m_pManager) m_pManager->SendNotify(this, L"textchanged");
}

bool CEditUI::OnChar(WCHAR ch) {
    // Control characters (Enter, Escape, Tab, Backspace, Ctrl+letters) are keys, not text.
    if (ch < 0x20 || ch == 0x7F || m_bReadOnly) return false;
    ReplaceSelection(std::wstring(1, ch));
    return true;
}

bool CEditUI::OnKeyDown(UINT key) {
    bool shift = KeyHeld(VK_SHIFT);
    int length = static_cast<int>(m_sText.size());
    switch (key) {
    case VK_LEFT:
        if (HasSelection() && !shift) {
            MoveCaret(GetSelStart(), false);
        } else {
            MoveCaret(m_nCaret - 1, shift);
        }
        return true;
    case VK_RIGHT:
        if (HasSelection() && !shift) {
            MoveCaret(GetSelEnd(), false);
        } else {
            MoveCaret(m_nCaret + 1, shift);
        }
        return true;
    case VK_HOME:
        MoveCaret(0, shift);
        return true;
    case VK_END:
        MoveCaret(length, shift);
        return true;
    case VK_BACK:
        if (m_bReadOnly) return true;
        if (!HasSelection() && m_nCaret > 0) m_nAnchor = m_nCaret - 1;
        ReplaceSelection(L"");
        return true;
    case VK_DELETE:
        if (m_bReadOnly) return true;
        if (!HasSelection() && m_nCaret < length) m_nAnchor = m_nCaret + 1;
        ReplaceSelection(L"");
        return true;
    case 'A':
        if (!KeyHeld(VK_CONTROL)) return false;
        SetSel(0, -1);
        return true;
    default:
        return false;
    }
}

void CEditUI::OnButtonDown(POINT point) {
    if (!IsEnabledInTree()) return;
    MoveCaret(CharIndexAt(point), KeyHeld(VK_SHIFT));
    m_bSelecting = true;
}

void CEditUI::OnMouseMove(POINT point) {
    if (m_bSelecting) MoveCaret(CharIndexAt(point), true);
}

void CEditUI::OnButtonUp(POINT) { m_bSelecting = false; }

void CEditUI::OnSetFocus() {
    CLabelUI::OnSetFocus();
    HWND window = m_pManager ? m_pManager->GetPaintWindow() : nullptr;
    if (window) ::CreateCaret(window, nullptr, 1, GetTextRect().bottom - GetTextRect().top);
    RestartCaretBlink();
}

void CEditUI::OnKillFocus() {
    CLabelUI::OnKillFocus();
    m_bCaretShown = false;
    m_bSelecting = false;
    if (m_pManager) {
        m_pManager->KillTimer(this, kCaretBlinkTimer);
        if (m_pManager->GetPaintWindow()) ::DestroyCaret();
    }
}

void CEditUI::OnTimer(UINT_PTR id) {
    if (id != kCaretBlinkTimer) return;
    m_bCaretShown = !m_bCaretShown;
    Invalidate();
}

void CEditUI::RestartCaretBlink() {
    if (!IsFocused()) return;
    m_bCaretShown = true;
    if (m_pManager) m_pManager->SetTimer(this, kCaretBlinkTimer, kCaretBlinkTime);
    PlaceSystemCaret();
}

void CEditUI::PlaceSystemCaret() {
    if (!m_pManager || !m_pManager->GetPaintWindow()) return;
    RECT text = GetTextRect();
    ::SetCaretPos(text.left + TextOffsetOf(m_nCaret) - m_nScroll, text.top);
}

UICursor CEditUI::GetCursor() const { return UICursor::IBeam; }

int CEditUI::TextOffsetOf(int index) const {
    if (index <= 0 || m_sText.empty()) return 0;
    std::vector<int> offsets = CharacterOffsets(m_sText, GetDeviceFont());
    return offsets[static_cast<size_t>(std::min<int>(index, static_cast<int>(offsets.size()) - 1))];
}

int CEditUI::CharIndexAt(POINT point) const {
    if (m_sText.empty()) return 0;
    int x = point.x - GetTextRect().left + m_nScroll;
    std::vector<int> offsets = CharacterOffsets(m_sText, GetDeviceFont());
    // The boundary nearest to x.
    for (size_t i = 1; i < offsets.size(); ++i) {
        if (x < (offsets[i - 1] + offsets[i]) / 2) return static_cast<int>(i - 1);
    }
    return static_cast<int>(offsets.size() - 1);
}

void CEditUI::KeepCaretVisible() {
    RECT text = GetTextRect();
    int width = text.right - text.left;
    if (width <= 0) {
        m_nScroll = 0;
        return;
    }
    int caret = TextOffsetOf(m_nCaret);
    int end = TextOffsetOf(static_cast<int>(m_sText.size()));
    if (caret - m_nScroll > width - 1) m_nScroll = caret - width + 1;
    if (caret < m_nScroll) m_nScroll = caret;
    // No empty space at the right while text is hidden at the left.
    if (end - m_nScroll < width - 1) m_nScroll = std::max(0, end - width + 1);
}

void CEditUI::PaintBkColor(CRenderContext& render) {
    CLabelUI::PaintBkColor(render);
    if (m_dwNativeBkColor) render.FillRect(GetTextRect(), m_dwNativeBkColor);
}

void CEditUI::PaintText(CRenderContext& render) {
    RECT text = GetTextRect();
    TFontInfo font = GetDeviceFont();
    render.PushClip(text);
    if (m_sText.empty()) {
        render.DrawText(m_sTipValue, text, font, m_dwTipValueColor, UITEXT_LEFT | UITEXT_VCENTER);
    } else {
        std::vector<int> offsets = CharacterOffsets(m_sText, font);
        int origin = text.left - m_nScroll;
        if (HasSelection() && IsFocused()) {
            RECT selection{origin + offsets[static_cast<size_t>(GetSelStart())], text.top,
                           origin + offsets[static_cast<size_t>(GetSelEnd())], text.bottom};
            render.FillRect(selection, kSelectionColor);
        }
        RECT line{origin, text.top, origin + offsets.back() + 1, text.bottom};
        DWORD color = IsEnabledInTree() ? m_dwTextColor : m_dwDisabledTextColor;
        render.DrawText(m_sText, line, font, color, UITEXT_LEFT | (m_uTextStyle & UITEXT_VMASK));
    }
    if (IsFocused() && m_bCaretShown && !m_bReadOnly) {
        // The caret is as tall as a line of this font, centred like the text.
        int height = std::min<int>(MeasureText(L"|", font).cy, text.bottom - text.top);
        int top = text.top + ((text.bottom - text.top) - height) / 2;
        int x = text.left - m_nScroll + TextOffsetOf(m_nCaret);
        render.FillRect(RECT{x, top, x + std::max(1, Scale(1)), top + height}, m_dwTextColor);
    }
    render.PopClip();
}

}  // namespace DuiLib
