// A single-line text field drawn by the toolkit itself: caret, selection,
// keyboard editing and typed text (input-method text included), a
// placeholder while empty, and at most maxchar characters.
#pragma once

#include "toolkit/control/LabelUI.h"

namespace DuiLib {

class CEditUI : public CLabelUI {
public:
    CEditUI();
    std::wstring GetClass() const override;     // L"EditUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"Edit"

    void SetText(LPCWSTR text) override;  // caret to the end; no notification
    void SetMaxChar(int count);
    int GetMaxChar() const;
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const;
    void SetTipValue(LPCWSTR text);
    const std::wstring& GetTipValue() const;

    // The selection as character offsets; start == end is a bare caret.
    void SetSel(int start, int end);
    int GetSelStart() const;
    int GetSelEnd() const;
    int GetCaretPos() const;

    bool IsFocusable() const override;
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;

    void OnButtonDown(POINT point) override;
    void OnMouseMove(POINT point) override;
    void OnButtonUp(POINT point) override;
    bool OnKeyDown(UINT key) override;
    bool OnChar(WCHAR ch) override;
    void OnSetFocus() override;
    void OnKillFocus() override;
    void OnTimer(UINT_PTR id) override;
    UICursor GetCursor() const override;

protected:
    void PaintBkColor(CRenderContext& render) override;
    void PaintText(CRenderContext& render) override;

private:
    void ReplaceSelection(const std::wstring& text);
    void MoveCaret(int position, bool extend);
    int CharIndexAt(POINT point) const;
    int TextOffsetOf(int index) const;  // device pixels from the text's start
    void KeepCaretVisible();
    void TextChanged();
    void RestartCaretBlink();
    void PlaceSystemCaret();  // where input methods show their window
    bool HasSelection() const;

    int m_nMaxChar = 255;
    bool m_bReadOnly = false;
    std::wstring m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFA0A0A0;
    DWORD m_dwNativeBkColor = 0;
    int m_nCaret = 0;   // where the caret is
    int m_nAnchor = 0;  // the other end of the selection
    int m_nScroll = 0;  // device pixels of text hidden to the left
    bool m_bCaretShown = false;
    bool m_bSelecting = false;
};

}  // namespace DuiLib
