// Step 2: the completion page; its finish button is answered by the main window.
#pragma once

#include "wizard/Widget.h"

class CCompleteWidget : public CWidget, public DuiLib::CNotifyPump {
public:
    static constexpr int32_t kStepIndex = 2;

    explicit CCompleteWidget(CMainWnd* owner) : CWidget(owner, kStepIndex) {}

    std::wstring GetPageSkinFile() const override { return L"Complete.xml"; }
};
