// The install task: the ordered install steps, run on the worker thread.
#pragma once

#include "app/InstallOptions.h"
#include "app/StepFailure.h"

#include <string>

class CInstallerComposer;

class CStepsScript {
public:
    // Takes the one options map (creating it on first use).
    CStepsScript();

    // The install sequence; true when it reached its end. Posts progress, then
    // either completion or the failure state.
    bool Run();

    InstallOptions* Options() const { return options_; }
    CInstallerComposer* Composer() const { return composer_; }
    void SetComposer(CInstallerComposer* composer) { composer_ = composer; }
    // How the last run ended, for the process exit code.
    bool Failed() const { return failed_; }
    // Whether the last run reached its end.
    bool Completed() const { return completed_; }

private:
    bool Fail();
    // Writes the failure's line on standard error first.
    bool Fail(const StepFailure& failure);
    StepResult WriteRecords(const std::wstring& installFolder);

    InstallOptions* options_;
    CInstallerComposer* composer_ = nullptr;
    bool failed_ = false;
    bool completed_ = false;
};
