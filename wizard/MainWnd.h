// The wizard's one top-level window: three steps (welcome, progress,
// completion) as the items of one tab layout, the notification table that
// routes every click to its handler, and the install task's callbacks.
#pragma once

#include "install/InstallerComposer.h"
#include "toolkit/UIlib.h"
#include "wizard/NotificationTable.h"

#include <map>
#include <string>

class CWidget;
class CWelcomeWidget;
class CProgressWidget;

class CMainWnd : public DuiLib::WindowImplBase {
public:
    CMainWnd();
    ~CMainWnd() override;

    DuiLib::CPaintManagerUI& PaintManager() { return m_pm; }
    CWidget* FindPage(const std::wstring& name) const;

    void ShowStep(int stepIndex);
    void ExpandCustomPanel(bool expand);
    void StartInstall();

    // The install task's reports, run on the UI thread by the dispatch window.
    void OnInstallProgress(const std::wstring& status, int32_t percent);
    void OnInstallState(const eState& state);
    void OnInstallComplete();

    bool Installing() const { return installing_; }
    // True after an install run that ended in the failure state.
    bool InstallFailed() const { return installFailed_; }

protected:
    LPCWSTR GetWindowClassName() const override { return L"Quorindel"; }
    void OnFinalMessage(HWND window) override;
    void InitWindow() override;
    std::wstring GetSkinFile() override { return L"DlgMain.xml"; }
    LRESULT ResponseDefaultKeyEvent(WPARAM key) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::CControlUI* CreateControl(LPCWSTR className) override;

private:
    void BuildNotificationTable();
    CWelcomeWidget* Welcome() const;
    CProgressWidget* Progress() const;

    // Handlers of the notification table.
    void Minimise(DuiLib::TNotifyUI&);
    void CloseWizard(DuiLib::TNotifyUI&);
    void FinishWizard(DuiLib::TNotifyUI&);
    void OpenAgreement(DuiLib::TNotifyUI&);
    void OpenPrivacy(DuiLib::TNotifyUI&);
    void ToggleCustomPanel(DuiLib::TNotifyUI&);
    void BrowseInstallFolder(DuiLib::TNotifyUI&);
    void AgreementChanged(DuiLib::TNotifyUI&);
    void StartmenuChanged(DuiLib::TNotifyUI&);
    void DesktopChanged(DuiLib::TNotifyUI&);

    NotificationTable notifications_;
    std::map<std::wstring, CWidget*> pages_;  // owned by the control tree
    bool customPanelExpanded_ = false;
    bool installing_ = false;
    bool installFailed_ = false;
    DuiLib::CTabLayoutUI* stepTabLayout_ = nullptr;
    DuiLib::CControlUI* welcomeBackground_ = nullptr;
    DuiLib::CControlUI* progressBackground_ = nullptr;
    DuiLib::CControlUI* completeBackground_ = nullptr;
};
