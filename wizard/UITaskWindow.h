// Closures that the install worker hands to the UI thread: posted to a
// hidden message-only window and run by its procedure, in posting order.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <functional>

using UITask = std::function<void()>;

constexpr UINT kRunSentTaskMessage = WM_USER + 1;    // lParam: a task the sender keeps
constexpr UINT kRunPostedTaskMessage = WM_USER + 2;  // lParam: a heap task that travels with the message

// A repeating task on the dispatch window's timer; the record's address is the timer id.
struct TimerTaskRecord {
    UITask* task;
    int32_t remaining;  // -1: unlimited
};

// UI thread: registers the class and creates the window.
void CreateUITaskWindow();
// Any thread: nonzero when posted. A task that cannot be posted is freed unrun.
int PostUITask(UITask task);
// UI thread: runs every task still queued for the window.
void RunPendingUITasks();
// UI thread: closes the window to posts, runs what is queued, destroys the window.
void DestroyUITaskWindow();
// UI thread: runs the task every elapse milliseconds, count times (-1: forever).
bool StartUITaskTimer(UITask task, UINT elapse, int32_t count);

HWND UITaskWindowHandle();
