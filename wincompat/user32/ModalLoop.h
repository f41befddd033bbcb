// Windows-style modal loops for GTK dialogs: the owner is disabled while the
// dialog is up and the thread's own messages keep being dispatched.
#pragma once

#include <windows.h>

#include <gtk/gtk.h>

#include <functional>

namespace wincompat {

// Returned when WM_QUIT ended the loop; the quit is back in the queue for the
// caller's own loop.
constexpr int kModalQuit = -1000;

// Shows the dialog modal to the owner's top-level window (centred on it) and
// runs until it responds. Answers the GTK response (GTK_RESPONSE_DELETE_EVENT
// for Escape or the window manager's close) or kModalQuit. The dialog stays
// the caller's to read and destroy.
int RunModalDialog(GtkDialog* dialog, HWND owner);

// Centres a dialog of the given size (logical pixels) on the owner's
// top-level window, or the monitor, inside the monitor's work area: GTK's
// own centring lets a big dialog hang off the screen.
void CentreDialog(GtkWindow* dialog, HWND owner, int width, int height);

// Where a modal dialog may run: on the UI thread, never inside WM_PAINT.
// From another thread the dialog runs on the UI thread while the caller waits
// (the caller's answer is the task's). False when there is no desktop.
bool RunModalOnDesktop(const std::function<void()>& task);

}  // namespace wincompat
