// The application object: owns the install task, the channel record and the
// skin, and drives the run.
#pragma once

#include "app/QidGlobal.h"
#include "install/StepsScript.h"
#include "report/ByteBuffer.h"

#include <memory>

class CQuorindelApp {
public:
    CQuorindelApp();

    // Fills the options in their fixed order: defaults, channel identity (and
    // an earlier install folder), the silent flag; then loads the wizard's skin.
    void Prepare(bool silent);
    // Runs the chosen mode and writes the user configuration at its end.
    // The result is the process exit code.
    int Run();

    // The exit codes of the process, all of them: 0 when the run ended as it
    // should (an install that succeeded, or a wizard the user closed).
    // The wizard's window could not be created.
    static constexpr int kExitNoWizard = 1;
    // A failed install must not look like a success to deployment tools.
    static constexpr int kExitInstallFailed = 3;
    // Another installer is running: this one ended before touching anything.
    static constexpr int kExitAlreadyRunning = 4;

    // Held by the running installer for its whole run; one at a time.
    static constexpr const wchar_t* kInstanceMutexName = L"Global\\VelmoraSetup";
    // WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
    static constexpr unsigned long kWizardStyle = 0x96C80000;

    CStepsScript* Script() const { return script_.get(); }
    ByteBuffer& Skin() { return skin_; }

private:
    int RunWizard();
    int RunSilent();
    int ExitCode(const StepResult& configWritten) const;

    std::shared_ptr<CStepsScript> script_;
    std::shared_ptr<CQidGlobal> qid_;
    ByteBuffer skin_;
};

// The one application object, created during static initialisation.
CQuorindelApp& TheApp();
