#include "install/InstallerComposer.h"

#include "app/InstallOptions.h"
#include "install/StepsScript.h"
#include "wizard/UITaskWindow.h"

#include <windows.h>

namespace {

struct WorkerStart {
    CInstallerComposer* composer;
    CStepsScript* script;
};

DWORD WINAPI RunWorker(LPVOID parameter) {
    WorkerStart* start = static_cast<WorkerStart*>(parameter);
    start->composer->RunWorker(start->script);
    delete start;
    return 0;
}

}  // namespace

int CInstallerComposer::Start(CStepsScript* script, ProgressCallback progress, StateCallback state,
                              CompleteCallback complete) {
    if (!script) return -1;
    progress_ = std::move(progress);
    state_ = std::move(state);
    complete_ = std::move(complete);
    {
        std::lock_guard<std::mutex> lock(workersMutex_);
        ++runningWorkers_;
    }
    WorkerStart* start = new WorkerStart{this, script};
    HANDLE worker = CreateThread(nullptr, 0, ::RunWorker, start, 0, nullptr);
    if (!worker) {
        // No thread to run it on: the install runs here, as a silent one does.
        delete start;
        RunWorker(script);
        return 0;
    }
    if (GetIntOption(L"Slien")) WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    return 0;
}

void CInstallerComposer::RunWorker(CStepsScript* script) {
    RunScript(script);
    std::lock_guard<std::mutex> lock(workersMutex_);
    if (--runningWorkers_ == 0) workersDone_.notify_all();
}

void CInstallerComposer::WaitUntilIdle() {
    std::unique_lock<std::mutex> lock(workersMutex_);
    workersDone_.wait(lock, [this] { return runningWorkers_ == 0; });
}

void CInstallerComposer::RunScript(CStepsScript* script) {
    if (!script) {
        PostState(eStateInstallFailed);
        return;
    }
    script->SetComposer(this);
    script->Run();
}

// Each closure reads the callback when it runs on the UI thread, not when posted.
void CInstallerComposer::PostProgress(const std::wstring& status, int32_t percent) {
    PostUITask([this, status, percent] {
        if (progress_) progress_(status, percent);
    });
}

int CInstallerComposer::PostState(eState state) {
    return PostUITask([this, state] {
        if (state_) state_(state);
    });
}

void CInstallerComposer::PostComplete() {
    PostUITask([this] {
        if (complete_) complete_();
    });
}
