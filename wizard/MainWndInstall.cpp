// Starting the install task from the wizard and showing what it reports.
#include "wizard/MainWnd.h"

#include "app/InstallOptions.h"
#include "app/QuorindelApp.h"
#include "app/InstallFolderCheck.h"
#include "wizard/CompleteWidget.h"
#include "wizard/ProgressWidget.h"
#include "wizard/TaskbarProgress.h"
#include "wizard/WelcomeWidget.h"

using namespace DuiLib;

void CMainWnd::StartInstall() {
    CWelcomeWidget* welcome = Welcome();
    std::wstring path = welcome ? welcome->GetInstallPathText() : std::wstring();
    // A folder that does not exist yet is made by the install; the text is
    // stored as typed.
    if (CheckInstallFolder(path) != InstallFolderVerdict::Acceptable) {
        MessageBoxW(m_hWnd, L"请选择有效的安装路径!", L"安装路径无效", MB_OK);
        return;
    }
    SetOption(L"InstallPath", path);
    int started = TheComposer().Start(
        TheApp().Script(),
        [this](const std::wstring& status, int32_t percent) { OnInstallProgress(status, percent); },
        [this](const eState& state) { OnInstallState(state); }, [this] { OnInstallComplete(); });
    if (started == -1) return;
    if (customPanelExpanded_) {
        customPanelExpanded_ = false;
        ExpandCustomPanel(false);
    }
    installing_ = true;
    installFailed_ = false;
    if (CProgressWidget* progress = Progress()) progress->ShowFailure(false);
    ShowStep(CProgressWidget::kStepIndex);
}

void CMainWnd::OnInstallProgress(const std::wstring& status, int32_t percent) {
    CProgressWidget* progress = Progress();
    if (!progress) return;  // the window has been destroyed
    if (CLabelUI* label = progress->StatusLabel()) label->SetText(status.c_str());
    progress->SetPercent(percent);
    TaskbarProgress& taskbar = TheTaskbarProgress();
    if (taskbar.taskbar)
        taskbar.taskbar->SetProgressValue(taskbar.window, static_cast<ULONGLONG>(static_cast<LONGLONG>(percent)), 100);
}

// A failed install is shown on the progress page, and the window may be
// closed again; the last status text and percentage stay.
void CMainWnd::OnInstallState(const eState& state) {
    if (state != eStateInstallFailed) return;
    CProgressWidget* progress = Progress();
    if (!progress) return;
    installing_ = false;
    installFailed_ = true;
    progress->ShowFailure(true);
    TaskbarProgress& taskbar = TheTaskbarProgress();
    if (taskbar.taskbar) taskbar.taskbar->SetProgressState(taskbar.window, TBPF_ERROR);
}

void CMainWnd::OnInstallComplete() {
    if (!Progress()) return;
    installing_ = false;
    ShowStep(CCompleteWidget::kStepIndex);
}
