#include "user32/ModalLoop.h"

#include "user32/Activation.h"
#include "user32/Desktop.h"
#include "user32/DesktopWindow.h"
#include "user32/MessageQueue.h"
#include "user32/WindowTable.h"

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

void PlaceOver(GtkDialog* dialog, HWND root) {
    std::shared_ptr<Window> owner = FindWindowObject(root);
    GtkWindow* window = GTK_WINDOW(dialog);
    gtk_window_set_modal(window, TRUE);
    if (owner && owner->desktop) {
        gtk_window_set_transient_for(window, owner->desktop->Toplevel());
        gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
    } else {
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    }
}

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
    PlaceOver(dialog, root);
    // Only the owner is disabled: no input reaches it until the dialog ends.
    bool disabled = root && IsWindowEnabled(root);
    if (disabled) EnableWindow(root, FALSE);
    Response response;
    gulong handler = g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &response);
    gtk_widget_show_all(GTK_WIDGET(dialog));
    gtk_window_present(GTK_WINDOW(dialog));
    bool responded = DispatchUntil(response);
    g_signal_handler_disconnect(dialog, handler);
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
