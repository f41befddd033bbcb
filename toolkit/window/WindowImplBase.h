// A skinned top-level window: builds GetSkinFile() on WM_CREATE, routes
// messages to its paint manager, and gives the standard buttons
// ("closebtn", "minbtn", "maxbtn", "restorebtn") and the caption their meaning.
#pragma once

#include <string>

#include "toolkit/builder/DialogBuilder.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/core/QueryControlText.h"
#include "toolkit/window/WindowWnd.h"

namespace DuiLib {

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(LPCWSTR pstrClass) override;  // nullptr
    LPCWSTR QueryControlText(LPCWSTR lpstrId, LPCWSTR lpstrType) override;  // nullptr
    // Enter and Escape go to ResponseDefaultKeyEvent; nothing is consumed.
    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

protected:
    virtual std::wstring GetSkinFolder();  // L""
    virtual std::wstring GetSkinFile() = 0;
    // Becomes the process-wide kind of skin source when the window is created.
    virtual UILIB_RESOURCETYPE GetResourceType() const;  // UILIB_FILE
    virtual void InitWindow();
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);  // FALSE
    // SC_CLOSE becomes WM_CLOSE; maximise and restore swap "maxbtn" and "restorebtn".
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // Leaves m_pm's message filters and notifiers; derived windows call it first.
    void OnFinalMessage(HWND window) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    virtual LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam);

    CPaintManagerUI m_pm;
};

}  // namespace DuiLib
