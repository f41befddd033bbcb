// The base of every control: identity, text, geometry, look, and the plain
// event methods the paint manager calls. Skin sizes are kept at 96 dpi and
// scaled through the manager; positions (GetPos) are device pixels of the
// window's client area.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/core/TextStyle.h"
#include "toolkit/core/UICursor.h"

namespace DuiLib {

class CPaintManagerUI;
class CRenderContext;

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::wstring GetClass() const;      // L"ControlUI"
    virtual LPVOID GetInterface(LPCWSTR name);  // this for L"Control"

    const std::wstring& GetName() const;
    void SetName(LPCWSTR name);
    virtual std::wstring GetText() const;
    virtual void SetText(LPCWSTR text);

    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    bool IsVisibleInTree() const;  // this and every parent visible
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    bool IsEnabledInTree() const;  // this and every parent enabled

    // Sizes: setters take 96-dpi pixels, getters answer device pixels.
    int GetFixedHeight() const;
    void SetFixedHeight(int height);
    int GetFixedWidth() const;
    void SetFixedWidth(int width);
    int GetMinWidth() const;
    void SetMinWidth(int width);
    int GetMinHeight() const;
    void SetMinHeight(int height);
    RECT GetPadding() const;  // device pixels
    void SetPadding(const RECT& padding);
    bool IsFloat() const;
    void SetFloat(bool isFloat);
    void SetFloatPos(const RECT& pos);  // l,t,r,b in the parent's client area, 96 dpi
    RECT GetFloatPos() const;           // device pixels, relative to the parent's client area

    DWORD GetBkColor() const;  // 0xAARRGGBB; 0 draws nothing
    void SetBkColor(DWORD color);
    void SetBkColor2(DWORD color);  // bottom colour of a vertical gradient
    void SetBorderColor(DWORD color);
    void SetBorderSize(int size);
    void SetBorderRound(SIZE round);
    void SetFocusBorderColor(DWORD color);
    const std::wstring& GetBkImage() const;
    void SetBkImage(LPCWSTR image);

    // Keyboard focus: only focusable controls (buttons, options, edits) take it.
    virtual bool IsFocusable() const;
    bool IsTabStop() const;
    void SetTabStop(bool tabStop);
    virtual bool IsFocused() const;
    virtual void SetFocus();

    void Invalidate();  // repaint this control's rectangle
    void NeedUpdate();  // lay the window out again before it is next used

    // Called once, when the control first joins a window's tree (its parent set).
    virtual void DoInit();
    CPaintManagerUI* GetManager() const;
    CControlUI* GetParent() const;
    // Joins (or, with a null manager, leaves) a window's tree; with init the
    // control is indexed by name and initialised.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);

    virtual void SetAttribute(LPCWSTR name, LPCWSTR value);
    // A list such as  text="x" width="20" , as <Default value="..."> holds.
    void ApplyAttributeList(LPCWSTR list);

    // Layout.
    const RECT& GetPos() const;
    virtual void SetPos(const RECT& pos);
    // The size the control wants inside the space given; 0 in a dimension
    // means "whatever the layout gives".
    virtual SIZE EstimateSize(SIZE available);
    // The innermost visible control under the point, or nullptr.
    virtual CControlUI* FindControlAt(POINT point);

    // Painting, in device pixels; paint is the part of the window to redraw.
    virtual void DoPaint(CRenderContext& render, const RECT& paint);
    virtual void PaintChildren(CRenderContext& render, const RECT& paint);

    // Events, as the paint manager delivers them (client device pixels).
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseMove(POINT point);
    virtual void OnButtonDown(POINT point);
    virtual void OnButtonUp(POINT point);
    virtual bool OnKeyDown(UINT key);  // true when the key was used
    virtual bool OnChar(WCHAR ch);     // true when the character was used
    virtual void OnSetFocus();
    virtual void OnKillFocus();
    virtual void OnTimer(UINT_PTR id);
    virtual UICursor GetCursor() const;

protected:
    int Scale(int value) const;
    RECT ScaleRect(const RECT& rect) const;

    virtual void PaintBkColor(CRenderContext& render);
    virtual void PaintBkImage(CRenderContext& render);
    virtual void PaintStatusImage(CRenderContext& render);
    virtual void PaintText(CRenderContext& render);
    virtual void PaintBorder(CRenderContext& render);
    // Draws an image attribute value (file, res.xml id or file='..' list)
    // over the control, or over area.
    bool DrawImage(CRenderContext& render, const std::wstring& image);
    bool DrawImage(CRenderContext& render, const std::wstring& image, const RECT& area);
    SIZE ScaledBorderRound() const;

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    std::wstring m_sName;
    std::wstring m_sText;
    RECT m_rcItem{};

    bool m_bVisible = true;
    bool m_bEnabled = true;
    bool m_bFocused = false;
    bool m_bTabStop = true;
    bool m_bFloat = false;
    bool m_bInited = false;

    SIZE m_cxyFixed{};  // 96 dpi
    SIZE m_cxyMin{};    // 96 dpi
    RECT m_rcPadding{};
    RECT m_rcFloatPos{};

    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0xFF2F6BFF;
    int m_nBorderSize = 0;  // 96 dpi
    SIZE m_cxyBorderRound{};
    std::wstring m_sBkImage;
};

}  // namespace DuiLib
