// The toolkit's message loop: every message is offered to the paint managers
// of its window before it is translated and dispatched.
#include "toolkit/core/ManagerRegistry.h"
#include "toolkit/core/PaintManagerUI.h"

namespace DuiLib {

void CPaintManagerUI::MessageLoop() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool CPaintManagerUI::TranslateMessage(const LPMSG msg) {
    if (!msg || !msg->hwnd) return false;
    LONG style = ::GetWindowLongW(msg->hwnd, GWL_STYLE);
    if (style & WS_CHILD) {
        // A child window's parents see its messages but cannot take them. The
        // walk ends at the top-level window (GetParent would go on to its owner).
        for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
            if (CPaintManagerUI* manager = FindManager(window)) {
                LRESULT ignored = 0;
                manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, ignored);
            }
            if (!(::GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) break;
        }
        return false;
    }
    CPaintManagerUI* manager = FindManager(msg->hwnd);
    if (!manager) return false;
    LRESULT result = 0;
    return manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
}

}  // namespace DuiLib
