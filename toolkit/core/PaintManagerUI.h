// One per window: the control tree and its name index, notifiers and
// message filters, focus, hot and pushed controls, fonts, layout and
// painting. The static part holds the process-wide skin source.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/core/ControlUI.h"
#include "toolkit/core/FontInfo.h"
#include "toolkit/core/MessageFilterUI.h"
#include "toolkit/core/NotifyUI.h"
#include "toolkit/core/ResourceType.h"

namespace DuiLib {

class CRenderContext;

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();  // deletes the attached tree
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Process-wide settings.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    static void SetResourceType(int kind);
    static int GetResourceType();
    static void SetResourcePath(LPCWSTR folder);  // a '\' is appended when missing
    static const std::wstring& GetResourcePath();
    // The skin archive, read in place: the bytes must outlive every window.
    // Once set, skin files come only from it.
    static void SetResourceZip(LPCVOID data, unsigned int size, LPCWSTR password = nullptr);
    // GetMessageW until WM_QUIT, each message first offered to TranslateMessage.
    static void MessageLoop();
    // Offers msg to the paint managers of its window (and, for a child
    // window, of its parents); true when one consumed it.
    static bool TranslateMessage(const LPMSG msg);
    // A skin file that cannot be used: says so in a message box
    // ("加载资源文件失败：" and the file), then ends the process with code 1.
    [[noreturn]] static void ReportUnusableSkin(LPCWSTR file);

    void Init(HWND window);  // reads the display's DPI
    HWND GetPaintWindow() const;

    // Takes ownership of root (deleting an earlier one), indexes and
    // initialises the whole tree.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const;
    CControlUI* FindControl(LPCWSTR name) const;  // exact, case-sensitive
    CControlUI* FindControlAt(POINT point);  // client device pixels, laid out first

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool HasNotifier() const;
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    // Hands a TNotifyUI to every notifier, synchronously, in registration order.
    void SendNotify(CControlUI* control, LPCWSTR type, WPARAM wParam = 0, LPARAM lParam = 0);

    // The window procedure's part; true when the message was answered (result).
    bool MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Before dispatch: the message filters, then Tab and Shift+Tab.
    bool PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Skin sizes are at 96 dpi; Scale multiplies by dpi/96.
    int GetDPI() const;
    void SetDPI(int dpi);
    int Scale(int value) const;
    RECT Scale(const RECT& rect) const;

    // Focus.
    CControlUI* GetFocus() const;
    void SetFocus(CControlUI* control);  // nullptr removes focus
    // Moves focus to the next (or previous) visible, enabled tab stop, wrapping.
    // From then on the focused control shows its ring.
    bool SetNextTabControl(bool forward = true);
    // As on Windows, focus rings appear once the keyboard has moved the focus:
    // a mouse user sees none.
    bool ShowsFocusCues() const { return m_bFocusCues; }

    // Layout and painting.
    void NeedUpdate();  // lay out again before the next use
    void UpdateLayout();  // lays out now if needed
    void Invalidate();
    void Invalidate(const RECT& rect);
    SIZE GetClientSize() const;
    void SetClientSize(SIZE size);  // for windows without a client rectangle (tests)
    void Paint(CRenderContext& render, const RECT& paint);

    // The skin's <Window> and <Font>/<Default> settings (96 dpi).
    void SetInitSize(int cx, int cy);
    SIZE GetInitSize() const;  // device pixels; 0 when the skin named none
    void SetCaptionRect(const RECT& caption);
    bool IsCaptionPoint(POINT point);  // in the drag area and not over an active control
    void SetMinInfo(int cx, int cy);
    SIZE GetMinInfo() const;  // device pixels
    void SetRoundCorner(int cx, int cy);
    SIZE GetRoundCorner() const;  // device pixels
    void AddFont(int id, const TFontInfo& font, bool isDefault);
    const TFontInfo& GetFont(int id) const;  // the default font for an unknown id
    void AddDefaultAttributeList(LPCWSTR controlName, LPCWSTR list);
    LPCWSTR GetDefaultAttributeList(LPCWSTR controlName) const;  // nullptr when none

    // Timers of controls: WM_TIMER reaches control->OnTimer(id).
    bool SetTimer(CControlUI* control, UINT id, UINT elapse);
    void KillTimer(CControlUI* control, UINT id);

    POINT GetMousePos() const;  // the last mouse position seen, client device pixels

    // Bookkeeping controls call as they join or leave the tree.
    void InitControl(CControlUI* control);   // indexes its name
    void ReapObjects(CControlUI* control);   // forgets every pointer to it
    void RenameControl(CControlUI* control, const std::wstring& oldName);

private:
    struct ControlTimer {
        CControlUI* control;
        UINT id;
        UINT_PTR windowTimer;
    };

    bool OnPaint(LRESULT& result);
    void OnGetMinMaxInfo(LPMINMAXINFO info);
    void OnMouseMove(POINT point);
    void OnMouseLeave();
    void OnButtonDown(POINT point);
    void OnButtonUp(POINT point);
    bool OnSetCursor(LPARAM lParam, LRESULT& result);
    bool OnKeyDown(WPARAM key);
    bool OnChar(WPARAM ch);
    bool OnTimer(WPARAM id);
    void SetHot(CControlUI* control);
    void CollectTabStops(CControlUI* control, std::vector<CControlUI*>& stops) const;

    HWND m_hWndPaint = nullptr;
    CControlUI* m_pRoot = nullptr;
    std::unordered_map<std::wstring, CControlUI*> m_names;
    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_filters;

    CControlUI* m_pFocus = nullptr;
    bool m_bFocusCues = false;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    bool m_bMouseTracking = false;
    POINT m_ptLastMouse{};

    int m_nDPI = 96;
    bool m_bUpdateNeeded = true;
    SIZE m_szClient{};  // used when the window has no client rectangle of its own
    SIZE m_szInitWindowSize{};
    RECT m_rcCaption{};
    SIZE m_szMinWindow{};
    SIZE m_szRoundCorner{};
    std::map<int, TFontInfo> m_fonts;
    int m_iDefaultFont = -1;
    std::map<std::wstring, std::wstring> m_defaultAttributes;
    std::vector<ControlTimer> m_timers;
    UINT_PTR m_nextTimer = 0x1000;
};

}  // namespace DuiLib
