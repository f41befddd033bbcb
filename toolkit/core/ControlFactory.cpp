// The built-in tags, each with the class it creates.
#include "toolkit/core/ControlFactory.h"

#include "toolkit/control/ButtonUI.h"
#include "toolkit/control/CheckBoxUI.h"
#include "toolkit/control/EditUI.h"
#include "toolkit/control/LabelUI.h"
#include "toolkit/control/OptionUI.h"
#include "toolkit/control/ProgressUI.h"
#include "toolkit/control/TextUI.h"
#include "toolkit/core/ContainerUI.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace DuiLib {

namespace {

template <typename T>
CControlUI* Make() {
    return new T();
}

struct BuiltinTag {
    const wchar_t* tag;
    CControlUI* (*create)();
};

const BuiltinTag kBuiltinTags[] = {
    {L"Control", &Make<CControlUI>},
    {L"Container", &Make<CContainerUI>},
    {L"VerticalLayout", &Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {L"TabLayout", &Make<CTabLayoutUI>},
    {L"Label", &Make<CLabelUI>},
    {L"Text", &Make<CTextUI>},
    {L"Button", &Make<CButtonUI>},
    {L"Option", &Make<COptionUI>},
    {L"CheckBox", &Make<CCheckBoxUI>},
    {L"Edit", &Make<CEditUI>},
    {L"Progress", &Make<CProgressUI>},
};

}  // namespace

CControlUI* CreateBuiltinControl(const std::wstring& tag) {
    for (const BuiltinTag& builtin : kBuiltinTags) {
        if (tag == builtin.tag) return builtin.create();
    }
    return nullptr;
}

}  // namespace DuiLib
