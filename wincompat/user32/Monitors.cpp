#include "user32/Monitors.h"

#include "user32/Desktop.h"
#include "user32/WindowTable.h"

#include <gtk/gtk.h>

#include <mutex>

namespace wincompat {

namespace {

struct Snapshot {
    std::mutex mutex;
    std::vector<MonitorArea> monitors;
};

Snapshot& TheSnapshot() {
    static Snapshot* snapshot = new Snapshot;
    return *snapshot;
}

RECT DeviceRect(const GdkRectangle& area, int scale) {
    return {area.x * scale, area.y * scale, (area.x + area.width) * scale, (area.y + area.height) * scale};
}

std::vector<MonitorArea> ReadMonitors() {
    std::vector<MonitorArea> monitors;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* primary = gdk_display_get_primary_monitor(display);
    int count = gdk_display_get_n_monitors(display);
    for (int i = 0; i < count; ++i) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, i);
        GdkRectangle geometry, work;
        gdk_monitor_get_geometry(monitor, &geometry);
        gdk_monitor_get_workarea(monitor, &work);
        int scale = gdk_monitor_get_scale_factor(monitor);
        bool isPrimary = primary ? monitor == primary : i == 0;
        MonitorArea area{DeviceRect(geometry, scale), DeviceRect(work, scale), isPrimary};
        if (isPrimary) monitors.insert(monitors.begin(), area);
        else monitors.push_back(area);
    }
    return monitors;
}

}  // namespace

std::vector<MonitorArea> DesktopMonitors() {
    Snapshot& snapshot = TheSnapshot();
    // GDK answers on the UI thread; other threads get what it last saw.
    std::vector<MonitorArea> monitors;
    if (DesktopAvailable() && OnDesktopThread()) monitors = ReadMonitors();
    std::lock_guard<std::mutex> lock(snapshot.mutex);
    if (!monitors.empty()) snapshot.monitors = monitors;
    if (!snapshot.monitors.empty()) return snapshot.monitors;
    RECT screen = {0, 0, 1280, 800};
    return {MonitorArea{screen, screen, true}};
}

}  // namespace wincompat
