#include "app/QuorindelApp.h"

#include "app/InstallOptions.h"
#include "app/UserConfig.h"
#include "install/InstallerComposer.h"

CQuorindelApp::CQuorindelApp()
    : script_(std::make_shared<CStepsScript>()), qid_(std::make_shared<CQidGlobal>()) {}

void CQuorindelApp::Prepare(bool silent) {
    ApplyDefaultOptions();
    qid_->Initialise();
    SetIntOption(L"Slien", silent ? 1 : 0);
}

int CQuorindelApp::Run() {
    // Silent mode: Start joins the worker, so this returns after the whole install.
    TheComposer().Start(script_.get(), ProgressCallback(), StateCallback(), CompleteCallback());
    WriteUserConfig();
    return script_->Failed() ? kExitInstallFailed : 0;
}
