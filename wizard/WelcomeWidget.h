// Step 0: the install folder, the shortcut choices, the agreement and the
// collapsible panel of extra options.
#pragma once

#include "wizard/Widget.h"

class CWelcomeWidget : public CWidget {
public:
    static constexpr int32_t kStepIndex = 0;

    explicit CWelcomeWidget(CMainWnd* owner);

    void DoInit() override;
    std::wstring GetPageSkinFile() const override { return L"Welcome.xml"; }

    std::wstring GetInstallPathText() const;
    // Puts folder\Velmora into the path edit and the "InstallPath" option.
    void ApplyBrowsedFolder(const std::wstring& folder);
    void SaveStartmenuChoice();
    void SaveDesktopChoice();
    // Enables the install button exactly while the agreement is accepted.
    void UpdateInstallButton();

    DuiLib::CControlUI* BottomPanel() const { return bottomPanel_; }
    DuiLib::CCheckBoxUI* AgreementBox() const { return agreementBox_; }
    DuiLib::CButtonUI* InstallButton() const { return installButton_; }

private:
    DuiLib::CControlUI* bottomPanel_ = nullptr;
    DuiLib::CCheckBoxUI* agreementBox_ = nullptr;
    DuiLib::CButtonUI* installButton_ = nullptr;
    DuiLib::CEditUI* pathEdit_ = nullptr;
    DuiLib::CCheckBoxUI* startmenuBox_ = nullptr;
    DuiLib::CCheckBoxUI* desktopBox_ = nullptr;
};
