// The taskbar button's progress: one process-wide holder of the shell's
// taskbar list, created at most once, on the UI thread.
#pragma once

#include <windows.h>
#include <shobjidl.h>

struct TaskbarProgress {
    ITaskbarList3* taskbar = nullptr;
    HWND window = nullptr;
    bool creationFailed = false;
};

TaskbarProgress& TheTaskbarProgress();

// Creates the taskbar list for the window unless that was done or failed before.
void CreateTaskbarProgress(HWND window);
// Releases the taskbar list at teardown.
void ReleaseTaskbarProgress();
