#include "wizard/WelcomeWidget.h"

#include "app/InstallOptions.h"
#include "app/ProductPaths.h"

using namespace DuiLib;

CWelcomeWidget::CWelcomeWidget(CMainWnd* owner) : CWidget(owner, kStepIndex) {}

void CWelcomeWidget::DoInit() {
    CWidget::DoInit();
    bottomPanel_ = Find(L"layoutWelcomeBottom");
    agreementBox_ = Require<CCheckBoxUI>(L"checkboxProtocol");
    installButton_ = Require<CButtonUI>(L"btnStepInstall");
    pathEdit_ = Require<CEditUI>(L"edtInstallpath");
    startmenuBox_ = Require<CCheckBoxUI>(L"checkCreateStartmenu");
    desktopBox_ = Require<CCheckBoxUI>(L"checkCreateDesktop");

    // The window has no notifier yet, so none of these changes reaches a
    // handler or writes an option.
    agreementBox_->Selected(true);
    installButton_->SetEnabled(true);
    pathEdit_->SetText(GetOption(L"InstallPath").c_str());
    startmenuBox_->Selected(GetIntOption(L"IsStartmenu") != 0);
    desktopBox_->Selected(GetIntOption(L"IsDesttopCut") != 0);
}

std::wstring CWelcomeWidget::GetInstallPathText() const { return pathEdit_ ? pathEdit_->GetText() : std::wstring(); }

void CWelcomeWidget::ApplyBrowsedFolder(const std::wstring& folder) {
    std::wstring path = JoinPath(folder, ProductFolderName);
    if (pathEdit_) pathEdit_->SetText(path.c_str());
    SetOption(L"InstallPath", path);
}

void CWelcomeWidget::SaveStartmenuChoice() {
    if (startmenuBox_) SetIntOption(L"IsStartmenu", startmenuBox_->IsSelected() ? 1 : 0);
}

void CWelcomeWidget::SaveDesktopChoice() {
    if (desktopBox_) SetIntOption(L"IsDesttopCut", desktopBox_->IsSelected() ? 1 : 0);
}

void CWelcomeWidget::UpdateInstallButton() {
    if (installButton_) installButton_->SetEnabled(agreementBox_ && agreementBox_->IsSelected());
}
