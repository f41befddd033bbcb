#include "app/QuorindelApp.h"

#include "app/InstallOptions.h"
#include "app/UserConfig.h"
#include "install/InstallerComposer.h"
#include "wizard/MainWnd.h"
#include "wizard/SkinLoading.h"
#include "wizard/TaskbarProgress.h"
#include "wizard/UITaskWindow.h"

CQuorindelApp::CQuorindelApp()
    : script_(std::make_shared<CStepsScript>()), qid_(std::make_shared<CQidGlobal>()) {}

void CQuorindelApp::Prepare(bool silent) {
    ApplyDefaultOptions();
    qid_->Initialise();
    SetIntOption(L"Slien", silent ? 1 : 0);
    LoadSkin(skin_);
}

int CQuorindelApp::Run() { return GetIntOption(L"Slien") ? RunSilent() : RunWizard(); }

int CQuorindelApp::RunWizard() {
    auto window = std::make_shared<CMainWnd>();
    bool shown = window->Create(nullptr, L"安装向导", kWizardStyle, 0) != nullptr;
    if (shown) {
        window->CenterWindow();
        window->ShowWindow(true);
        DuiLib::CPaintManagerUI::MessageLoop();
    } else {
        // No window can be shown here (no desktop to show it on): say so
        // rather than wait for a user who cannot reach the wizard.
        MessageBoxW(nullptr, L"无法显示安装向导窗口。", L"安装向导", MB_ICONERROR);
    }

    ReleaseTaskbarProgress();
    RunPendingUITasks();
    DestroyUITaskWindow();
    window.reset();
    StepResult configWritten = WriteUserConfig();
    // A window closed during the install leaves the task running; it ends
    // before the process does, so no install is cut off half-way.
    TheComposer().WaitUntilIdle();
    if (!shown) return kExitNoWizard;
    return ExitCode(configWritten);
}

int CQuorindelApp::RunSilent() {
    // Start joins the worker, so this returns after the whole install.
    TheComposer().Start(script_.get(), ProgressCallback(), StateCallback(), CompleteCallback());
    return ExitCode(WriteUserConfig());
}

// The configuration is written once more at exit; when only that last write
// failed after a complete install, the install fails with it (a failed
// install has said why already).
int CQuorindelApp::ExitCode(const StepResult& configWritten) const {
    if (script_->Failed()) return kExitInstallFailed;
    if (!configWritten || !script_->Completed()) return 0;
    ReportStepFailure(*configWritten);
    return kExitInstallFailed;
}
