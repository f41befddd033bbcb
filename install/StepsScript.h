// The install task: the ordered install steps, run on the worker thread.
#pragma once

#include "app/InstallOptions.h"

class CInstallerComposer;

class CStepsScript {
public:
    // Takes the one options map (creating it on first use).
    CStepsScript();

    InstallOptions* Options() const { return options_; }
    CInstallerComposer* Composer() const { return composer_; }
    void SetComposer(CInstallerComposer* composer) { composer_ = composer; }

private:
    InstallOptions* options_;
    CInstallerComposer* composer_ = nullptr;
};
