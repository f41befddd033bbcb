#include "user32/ModalLoop.h"

#include "user32/Activation.h"
#include "user32/Desktop.h"
#include "user32/DesktopWindow.h"
#include "user32/MessageQueue.h"
#include "user32/WindowTable.h"

#include <algorithm>
#include <future>

namespace wincompat {

namespace {

struct Response {
    bool done = false;
    int value = GTK_RESPONSE_NONE;
};

void OnResponse(GtkDialog*, gint response, gpointer data) {
    auto* answer = static_cast<Response*>(data);
    answer->done = true;
    answer->value = response;
}

// Escape and the window manager's close end the dialog through its response
// (GTK_RESPONSE_DELETE_EVENT); the dialog itself stays for the caller.
gboolean KeepOnDelete(GtkWidget*, GdkEvent*, gpointer) { return TRUE; }

void MakeModalTo(GtkDialog* dialog, HWND root) {
    std::shared_ptr<Window> owner = FindWindowObject(root);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    if (owner && owner->desktop) gtk_window_set_transient_for(GTK_WINDOW(dialog), owner->desktop->Toplevel());
}

}  // namespace

void CentreDialog(GtkWindow* window, HWND owner, int width, int height) {
    GdkRectangle work;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    gdk_monitor_get_workarea(monitor, &work);
    GdkRectangle over = work;
    RECT ownerRect;
    if (owner && GetWindowRect(RootWindow(owner), &ownerRect)) {
        over = {LogicalPosition(ownerRect.left), LogicalPosition(ownerRect.top),
                LogicalSize(ownerRect.right - ownerRect.left), LogicalSize(ownerRect.bottom - ownerRect.top)};
    }
    int x = over.x + (over.width - width) / 2, y = over.y + (over.height - height) / 2;
    x = std::max(work.x, std::min(x, work.x + work.width - width));
    y = std::max(work.y, std::min(y, work.y + work.height - height));
    gtk_window_move(window, x, y);
}

namespace {

// Dispatches the thread's messages until the dialog responds; false on WM_QUIT.
bool DispatchUntil(const Response& response) {
    while (!response.done) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitQueue();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace

int RunModalDialog(GtkDialog* dialog, HWND owner) {
    HWND root = owner ? RootWindow(owner) : nullptr;
    MakeModalTo(dialog, root);
    // Only the owner is disabled: no input reaches it until the dialog ends.
    bool disabled = root && IsWindowEnabled(root);
    if (disabled) EnableWindow(root, FALSE);
    Response response;
    gulong responseHandler = g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &response);
    gulong deleteHandler = g_signal_connect(dialog, "delete-event", G_CALLBACK(KeepOnDelete), nullptr);
    gtk_widget_show_all(GTK_WIDGET(dialog));
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(dialog), &width, &height);  // once shown, the size it keeps
    CentreDialog(GTK_WINDOW(dialog), root, width, height);
    gtk_window_present(GTK_WINDOW(dialog));
    bool responded = DispatchUntil(response);
    g_signal_handler_disconnect(dialog, responseHandler);
    g_signal_handler_disconnect(dialog, deleteHandler);
    // Enabled again before the dialog goes, so the owner can take activation back.
    if (disabled && IsWindow(root)) EnableWindow(root, TRUE);
    gtk_widget_hide(GTK_WIDGET(dialog));
    if (root && IsWindow(root)) SetForegroundWindow(root);
    return responded ? response.value : kModalQuit;
}

bool RunModalOnDesktop(const std::function<void()>& task) {
    if (!DesktopAvailable()) return false;
    if (OnDesktopThread()) {
        if (InsidePaint()) return false;
        task();
        return true;
    }
    std::promise<bool> ran;
    std::future<bool> result = ran.get_future();
    RunOnDesktopThread([&] {
        bool allowed = !InsidePaint();
        if (allowed) task();
        ran.set_value(allowed);
    });
    return result.get();
}

}  // namespace wincompat
