#include "wizard/ProgressWidget.h"

#include <windows.h>

using namespace DuiLib;

CProgressWidget::CProgressWidget(CMainWnd* owner) : CWidget(owner, kStepIndex) {}

void CProgressWidget::DoInit() {
    CWidget::DoInit();
    statusLabel_ = dynamic_cast<CLabelUI*>(Find(L"labInstallingText"));
    percentLabel_ = dynamic_cast<CLabelUI*>(Find(L"labInstallingPosText"));
    progressBar_ = dynamic_cast<CProgressUI*>(Find(L"progInstaingPos"));
    failureLabel_ = dynamic_cast<CLabelUI*>(Find(L"labInstallFailed"));
}

void CProgressWidget::SetPercent(int percent) {
    wchar_t text[32];
    wsprintfW(text, L"%d%%", percent);
    if (percentLabel_) percentLabel_->SetText(text);
    // The bar itself ignores values outside its range and repeats.
    if (progressBar_) progressBar_->SetValue(percent);
    Invalidate();
}

void CProgressWidget::ShowFailure(bool failed) {
    if (failureLabel_) failureLabel_->SetVisible(failed);
}
