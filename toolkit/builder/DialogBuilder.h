// Builds a control tree from skin XML.
#pragma once

#include <windows.h>

#include "toolkit/core/DialogBuilderCallback.h"

namespace DuiLib {

class CControlUI;
class CPaintManagerUI;

class CDialogBuilder {
public:
    // xml: a file of the skin source, an Xml id of res.xml, or XML text
    // itself (starting with '<'). A <Window> root hands its size, caption,
    // fonts and defaults to the manager; a control root is built as it is.
    // Tags the toolkit does not know go to the callback. With a container
    // parent the new tree is added to it. nullptr on any failure.
    CControlUI* Create(LPCWSTR xml, LPCWSTR type = nullptr, IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
};

}  // namespace DuiLib
