// The dialog builder on any skin XML, with a paint manager as a window has
// one: the tree it builds is attached to the manager and freed with it.
#include "toolkit/builder/DialogBuilder.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/core/Utf8Text.h"

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace {

class NoCustomControls : public DuiLib::IDialogBuilderCallback {
public:
    DuiLib::CControlUI* CreateControl(LPCWSTR) override { return nullptr; }
};

// Skin files named by the XML (images, included layouts) come from an
// archive that holds nothing, so no input reaches the file system.
const bool kNoSkinFiles = (DuiLib::CPaintManagerUI::SetResourceZip("", 0), true);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring xml = DuiLib::WideFromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    if (xml.find_first_not_of(L" \t\r\n") == std::wstring::npos || xml[xml.find_first_not_of(L" \t\r\n")] != L'<')
        return 0;  // a file name, not XML
    NoCustomControls callback;
    DuiLib::CPaintManagerUI manager;
    DuiLib::CDialogBuilder builder;
    if (DuiLib::CControlUI* root = builder.Create(xml.c_str(), nullptr, &callback, &manager))
        manager.AttachDialog(root);
    return 0;
}
