// A hook that sees a window's messages before they are dispatched.
#pragma once

#include <windows.h>

namespace DuiLib {

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    // Sets bHandled to consume the message; the result is then the answer.
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

}  // namespace DuiLib
