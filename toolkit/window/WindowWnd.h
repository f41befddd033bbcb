// A window whose procedure is a virtual method of this object.
#pragma once

#include <windows.h>

namespace DuiLib {

class CWindowWnd {
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const;
    operator HWND() const;

    // Registers the class GetWindowClassName() on first use.
    HWND Create(HWND parent, LPCWSTR name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU menu = nullptr);
    void ShowWindow(bool show = true, bool takeFocus = true);
    void CenterWindow();  // on its monitor's work area
    void Close(UINT result = IDOK);  // posts WM_CLOSE while the window exists
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual LPCWSTR GetWindowClassName() const = 0;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // After WM_NCDESTROY; the toolkit never deletes the object.
    virtual void OnFinalMessage(HWND window);

    HWND m_hWnd = nullptr;

private:
    bool RegisterWindowClass();
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace DuiLib
