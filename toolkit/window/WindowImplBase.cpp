// WindowImplBase: building the skin on WM_CREATE, the caption, the standard
// buttons and keys, and handing everything else to the paint manager.
#include "toolkit/window/WindowImplBase.h"

#include "toolkit/core/ControlUI.h"

namespace DuiLib {

namespace {

void ShowControl(CPaintManagerUI& manager, LPCWSTR name, bool visible) {
    if (CControlUI* control = manager.FindControl(name)) control->SetVisible(visible);
}

}  // namespace

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType != L"click" || !msg.pSender) return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"minbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

CControlUI* WindowImplBase::CreateControl(LPCWSTR) { return nullptr; }
LPCWSTR WindowImplBase::QueryControlText(LPCWSTR, LPCWSTR) { return nullptr; }

LRESULT WindowImplBase::MessageHandler(UINT msg, WPARAM wParam, LPARAM, bool&) {
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) ResponseDefaultKeyEvent(wParam);
    return FALSE;
}

std::wstring WindowImplBase::GetSkinFolder() { return L""; }
UILIB_RESOURCETYPE WindowImplBase::GetResourceType() const { return UILIB_FILE; }
void WindowImplBase::InitWindow() {}
LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM) { return FALSE; }

LRESULT WindowImplBase::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (command == SC_CLOSE) {
        bHandled = TRUE;
        SendMessage(WM_CLOSE);
        return 0;
    }
    LRESULT result = ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
    bHandled = TRUE;
    if (command == SC_MAXIMIZE || command == SC_RESTORE) {
        bool maximized = command == SC_MAXIMIZE;
        ShowControl(m_pm, L"maxbtn", !maximized);
        ShowControl(m_pm, L"restorebtn", maximized);
    }
    return result;
}

void WindowImplBase::OnFinalMessage(HWND window) {
    m_pm.RemoveMessageFilter(this);
    m_pm.RemoveNotifier(this);
    CWindowWnd::OnFinalMessage(window);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM) {
    LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    style &= ~WS_CAPTION;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);

    m_pm.Init(m_hWnd);
    m_pm.AddMessageFilter(this);
    std::wstring folder = GetSkinFolder();
    if (!folder.empty()) CPaintManagerUI::SetResourcePath(folder.c_str());
    CPaintManagerUI::SetResourceType(GetResourceType());

    std::wstring file = GetSkinFile();
    CDialogBuilder builder;
    CControlUI* root = builder.Create(file.c_str(), nullptr, this, &m_pm);
    if (!root) CPaintManagerUI::ReportUnusableSkin(file.c_str());
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    SIZE size = m_pm.GetInitSize();
    if (size.cx > 0 && size.cy > 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    InitWindow();
    m_pm.SendNotify(root, L"windowinit");
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam) {
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(m_hWnd, &point);
    return m_pm.IsCaptionPoint(point) ? HTCAPTION : HTCLIENT;
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(msg, wParam, lParam);
    case WM_SYSCOMMAND: {
        BOOL handled = FALSE;
        LRESULT result = OnSysCommand(msg, wParam, lParam, handled);
        return handled ? result : ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
    }
    case WM_NCHITTEST:
        return OnNcHitTest(msg, wParam, lParam);
    case WM_CLOSE:
    case WM_DESTROY:
    case WM_NCDESTROY:
        // WM_CLOSE destroys the window; OnFinalMessage follows WM_NCDESTROY.
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    default:
        break;
    }
    LRESULT result = 0;
    if (m_pm.MessageHandler(msg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

}  // namespace DuiLib
