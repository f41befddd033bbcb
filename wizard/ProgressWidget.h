// Step 1: the install task's status text, percentage and bar, and the notice
// shown when the install fails.
#pragma once

#include "wizard/Widget.h"

class CProgressWidget : public CWidget, public DuiLib::CNotifyPump {
public:
    static constexpr int32_t kStepIndex = 1;

    explicit CProgressWidget(CMainWnd* owner);

    void DoInit() override;
    std::wstring GetPageSkinFile() const override { return L"Progress.xml"; }

    DuiLib::CLabelUI* StatusLabel() const { return statusLabel_; }
    void SetPercent(int percent);
    // Shows or hides the failure notice.
    void ShowFailure(bool failed);

private:
    DuiLib::CLabelUI* statusLabel_ = nullptr;
    DuiLib::CLabelUI* percentLabel_ = nullptr;
    DuiLib::CProgressUI* progressBar_ = nullptr;
    DuiLib::CLabelUI* failureLabel_ = nullptr;
};
