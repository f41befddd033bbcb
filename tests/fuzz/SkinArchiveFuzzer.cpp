// The skin archive on any bytes: the zip is opened in place as the wizard
// opens its skin, and every layout the wizard builds is read and built from it.
#include "toolkit/builder/DialogBuilder.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/resources/SkinSource.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace {

const wchar_t* const kLayouts[] = {L"DlgMain.xml", L"Welcome.xml", L"Progress.xml", L"Complete.xml"};
const wchar_t* const kOtherFiles[] = {L"res.xml", L"art\\logo.png", L"ART/CLOSE.PNG", L"art/check_on@2x.png"};

class NoCustomControls : public DuiLib::IDialogBuilderCallback {
public:
    DuiLib::CControlUI* CreateControl(LPCWSTR) override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DuiLib::CPaintManagerUI::SetResourceZip(data, static_cast<unsigned int>(size), nullptr);
    std::vector<BYTE> bytes;
    for (const wchar_t* name : kOtherFiles) DuiLib::CSkinSource::Get().Read(name, bytes);
    NoCustomControls callback;
    for (const wchar_t* layout : kLayouts) {
        DuiLib::CPaintManagerUI manager;
        DuiLib::CDialogBuilder builder;
        if (DuiLib::CControlUI* root = builder.Create(layout, nullptr, &callback, &manager)) manager.AttachDialog(root);
    }
    DuiLib::CSkinSource::Get().Reset();  // the bytes end with this call
    return 0;
}
