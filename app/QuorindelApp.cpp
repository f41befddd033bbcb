#include "app/QuorindelApp.h"

#include "app/InstallOptions.h"
#include "app/UserConfig.h"

CQuorindelApp::CQuorindelApp()
    : script_(std::make_shared<CStepsScript>()), qid_(std::make_shared<CQidGlobal>()) {}

void CQuorindelApp::Prepare(bool silent) {
    ApplyDefaultOptions();
    qid_->Initialise();
    SetIntOption(L"Slien", silent ? 1 : 0);
}

void CQuorindelApp::Run() {
    // The install task joins here once the install engine is part of the build.
    WriteUserConfig();
}
