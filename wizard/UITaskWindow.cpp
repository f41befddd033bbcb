#include "wizard/UITaskWindow.h"

#include <mutex>
#include <set>

namespace {

const wchar_t kClassName[] = L"Quorindel_UITask_Dispatch_Class";
const wchar_t kWindowName[] = L"Quorindel_UITask_Dispatch_Window";

HWND dispatchWindow = nullptr;
// Posting and closing the window to posts exclude each other, so no task can
// be queued once teardown has begun: every task is either run or freed.
std::mutex postMutex;
// Timer records still running, freed with the window (UI thread only).
std::set<TimerTaskRecord*> liveTimers;

void FreeTimerRecord(TimerTaskRecord* record) {
    liveTimers.erase(record);
    delete record->task;
    delete record;
}

void RunTimerTask(HWND window, UINT_PTR id) {
    auto* record = reinterpret_cast<TimerTaskRecord*>(id);
    (*record->task)();
    if (record->remaining == -1) return;
    if (--record->remaining == 0) {
        KillTimer(window, id);
        FreeTimerRecord(record);
    }
}

LRESULT CALLBACK DispatchProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRunPostedTaskMessage: {
        auto* task = reinterpret_cast<UITask*>(lParam);
        (*task)();
        delete task;
        return 0;
    }
    case kRunSentTaskMessage:
        (*reinterpret_cast<UITask*>(lParam))();
        return 0;
    case WM_TIMER:
        RunTimerTask(window, wParam);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

void CreateUITaskWindow() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DispatchProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = GetCursor();
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, kClassName, kWindowName, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    std::lock_guard<std::mutex> lock(postMutex);
    dispatchWindow = window;
}

int PostUITask(UITask task) {
    auto* heapTask = new UITask(std::move(task));
    std::lock_guard<std::mutex> lock(postMutex);
    if (dispatchWindow &&
        PostMessageW(dispatchWindow, kRunPostedTaskMessage, 0, reinterpret_cast<LPARAM>(heapTask)))
        return 1;
    delete heapTask;
    return 0;
}

namespace {

void DrainWindow(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, kRunSentTaskMessage, kRunPostedTaskMessage, PM_REMOVE))
        DispatchMessageW(&msg);
}

}  // namespace

void RunPendingUITasks() { DrainWindow(UITaskWindowHandle()); }

void DestroyUITaskWindow() {
    HWND window;
    {
        std::lock_guard<std::mutex> lock(postMutex);
        window = dispatchWindow;
        dispatchWindow = nullptr;
    }
    if (!window) return;
    DrainWindow(window);
    DestroyWindow(window);  // its timers end with it
    while (!liveTimers.empty()) FreeTimerRecord(*liveTimers.begin());
}

bool StartUITaskTimer(UITask task, UINT elapse, int32_t count) {
    HWND window = UITaskWindowHandle();
    if (!window || count == 0) return false;
    auto* record = new TimerTaskRecord{new UITask(std::move(task)), count};
    liveTimers.insert(record);
    if (SetTimer(window, reinterpret_cast<UINT_PTR>(record), elapse, nullptr)) return true;
    FreeTimerRecord(record);
    return false;
}

HWND UITaskWindowHandle() {
    std::lock_guard<std::mutex> lock(postMutex);
    return dispatchWindow;
}
