// Notifications: what a control tells the window it lives in ("click",
// "selectchanged", "textchanged", "setfocus", "killfocus", "windowinit", "timer").
#pragma once

#include <windows.h>

#include <string>

namespace DuiLib {

class CControlUI;

struct TNotifyUI {
    std::wstring sType;
    std::wstring sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// A window's notification hub for virtual windows; windows here have none, so
// it carries no behaviour of its own.
class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
};

}  // namespace DuiLib
