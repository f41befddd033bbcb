// The install engine: starts the install task on a worker thread and carries
// its progress, failure and completion to the UI thread as posted closures.
#pragma once

#include <stdint.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

class CStepsScript;

enum eState : int32_t {
    eStateInstallFailed = 3,  // the only state the install task produces
};

using ProgressCallback = std::function<void(const std::wstring& status, int32_t percent)>;
using StateCallback = std::function<void(const eState& state)>;
using CompleteCallback = std::function<void()>;

class CInstallerComposer {
public:
    // -1 for a null script (nothing stored or started), else 0. Waits for the
    // worker when option "Slien" is set, lets it run on otherwise.
    int Start(CStepsScript* script, ProgressCallback progress, StateCallback state, CompleteCallback complete);

    // Blocks until no install task runs: a wizard closed during the install
    // lets the detached worker finish before the process exits.
    void WaitUntilIdle();

    // Worker thread: RunWorker runs the script and counts the worker out.
    void RunWorker(CStepsScript* script);
    void RunScript(CStepsScript* script);
    void PostProgress(const std::wstring& status, int32_t percent);
    int PostState(eState state);
    void PostComplete();

private:
    ProgressCallback progress_;
    StateCallback state_;
    CompleteCallback complete_;

    std::mutex workersMutex_;
    std::condition_variable workersDone_;
    int runningWorkers_ = 0;
};

// The one engine, created during static initialisation.
CInstallerComposer& TheComposer();
