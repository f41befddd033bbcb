// Creates the controls of skin tags the toolkit does not know.
#pragma once

#include <windows.h>

namespace DuiLib {

class CControlUI;

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // A new control for the tag, or nullptr when the tag is unknown here too.
    virtual CControlUI* CreateControl(LPCWSTR pstrClass) = 0;
};

}  // namespace DuiLib
