#include "user32/Desktop.h"

#include <gtk/gtk.h>

#include <atomic>
#include <mutex>
#include <stdlib.h>
#include <thread>

namespace wincompat {

namespace {

using Clock = std::chrono::steady_clock;

struct DesktopState {
    std::once_flag started;
    std::atomic<bool> available{false};
    std::thread::id thread;
    int scale = 1;
};

DesktopState& State() {
    static DesktopState* state = new DesktopState;
    return *state;
}

int ScaleFromEnvironment() {
    const char* value = getenv("GDK_SCALE");
    int scale = value ? atoi(value) : 1;
    return scale >= 1 ? scale : 1;
}

int ScaleOfDisplay() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    return monitor ? gdk_monitor_get_scale_factor(monitor) : 1;
}

void Start(DesktopState& state) {
    state.scale = ScaleFromEnvironment();
    // X11 places windows where they are asked to go; Wayland ignores positions.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr)) return;
    state.thread = std::this_thread::get_id();
    state.scale = ScaleOfDisplay();
    state.available = true;
}

thread_local int paintDepth = 0;
thread_local Clock::time_point lastPump;

}  // namespace

bool DesktopAvailable() {
    DesktopState& state = State();
    std::call_once(state.started, Start, std::ref(state));
    return state.available;
}

bool DesktopRunning() { return State().available; }

// Never starts GTK: a thread that only waits for messages must not become the UI thread.
bool OnDesktopThread() { return State().available && State().thread == std::this_thread::get_id(); }

int DesktopScale() {
    DesktopAvailable();
    return State().scale;
}

void RunOnDesktopThread(std::function<void()> task) {
    if (!DesktopRunning()) return;
    if (OnDesktopThread()) {
        task();
        return;
    }
    auto* heapTask = new std::function<void()>(std::move(task));
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        heapTask, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

void WaitForDesktopEvents(Clock::time_point deadline) {
    GSource* timeout = nullptr;
    if (deadline != Clock::time_point::max()) {
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        timeout = g_timeout_source_new(static_cast<guint>(std::max<int64_t>(wait.count(), 0)));
        g_source_set_callback(timeout, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(timeout, nullptr);
    }
    g_main_context_iteration(nullptr, TRUE);
    lastPump = Clock::now();
    if (!timeout) return;
    g_source_destroy(timeout);
    g_source_unref(timeout);
}

void WakeDesktop() { g_main_context_wakeup(nullptr); }

void PumpDesktopEvents(bool force) {
    if (paintDepth > 0) return;
    Clock::time_point now = Clock::now();
    // Input and painting must not starve while the queue stays busy, nor
    // should every PeekMessageW pay for a GTK pass.
    if (!force && now - lastPump < std::chrono::milliseconds(5)) return;
    lastPump = now;
    for (int i = 0; i < 64 && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
}

bool InsidePaint() { return paintDepth > 0; }
PaintScope::PaintScope() { ++paintDepth; }
PaintScope::~PaintScope() { --paintDepth; }

}  // namespace wincompat
