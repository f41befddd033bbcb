// CWindowWnd: the window procedure finds its object through GWLP_USERDATA,
// set from the creation parameter on the first message.
#include "toolkit/window/WindowWnd.h"

#include <set>
#include <string>

#include "toolkit/core/PaintManagerUI.h"

namespace DuiLib {

namespace {

std::set<std::wstring>& RegisteredClasses() {
    static std::set<std::wstring> classes;
    return classes;
}

}  // namespace

CWindowWnd::CWindowWnd() = default;
CWindowWnd::~CWindowWnd() = default;

HWND CWindowWnd::GetHWND() const { return m_hWnd; }
CWindowWnd::operator HWND() const { return m_hWnd; }

UINT CWindowWnd::GetClassStyle() const { return 0; }

bool CWindowWnd::RegisterWindowClass() {
    std::wstring name = GetWindowClassName();
    if (RegisteredClasses().count(name)) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = GetClassStyle();
    windowClass.lpfnWndProc = &CWindowWnd::WindowProc;
    windowClass.hInstance = CPaintManagerUI::GetInstance();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = GetWindowClassName();
    if (!::RegisterClassExW(&windowClass)) return false;
    RegisteredClasses().insert(name);
    return true;
}

HWND CWindowWnd::Create(HWND parent, LPCWSTR name, DWORD style, DWORD exStyle, int x, int y, int cx, int cy,
                        HMENU menu) {
    if (!RegisterWindowClass()) return nullptr;
    // m_hWnd is set by the window procedure as soon as the first message arrives.
    ::CreateWindowExW(exStyle, GetWindowClassName(), name, style, x, y, cx, cy, parent, menu,
                      CPaintManagerUI::GetInstance(), this);
    return m_hWnd;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::CenterWindow() {
    RECT window{};
    if (!::GetWindowRect(m_hWnd, &window)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = work.left + ((work.right - work.left) - width) / 2;
    int y = work.top + ((work.bottom - work.top) - height) / 2;
    // A window larger than the work area keeps its top left corner on screen.
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::Close(UINT result) {
    if (!::IsWindow(m_hWnd)) return;
    ::PostMessageW(m_hWnd, WM_CLOSE, static_cast<WPARAM>(result), 0);
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self && (msg == WM_NCCREATE || msg == WM_CREATE)) {
        auto* create = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        self = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (self) {
            self->m_hWnd = window;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self) return ::DefWindowProcW(window, msg, wParam, lParam);
    if (msg != WM_NCDESTROY) return self->HandleMessage(msg, wParam, lParam);

    LRESULT result = self->HandleMessage(msg, wParam, lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    self->OnFinalMessage(window);
    return result;
}

}  // namespace DuiLib
