#include "wizard/TaskbarProgress.h"

#include <objbase.h>

TaskbarProgress& TheTaskbarProgress() {
    static TaskbarProgress holder;  // thread-safe initialisation on first use
    return holder;
}

void CreateTaskbarProgress(HWND window) {
    TaskbarProgress& holder = TheTaskbarProgress();
    if (holder.taskbar || holder.creationFailed) return;
    holder.window = window;
    CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                     reinterpret_cast<void**>(&holder.taskbar));
    if (!holder.taskbar) holder.creationFailed = true;
}

void ReleaseTaskbarProgress() {
    TaskbarProgress& holder = TheTaskbarProgress();
    if (!holder.taskbar) return;
    holder.taskbar->Release();
    holder.taskbar = nullptr;
}
