// The monitors of the desktop in device pixels; without a display one primary
// monitor of 1280×800 whose work area is the whole monitor.
#pragma once

#include <windows.h>

#include <vector>

namespace wincompat {

struct MonitorArea {
    RECT monitor;
    RECT work;
    bool primary;
};

// The primary monitor first.
std::vector<MonitorArea> DesktopMonitors();

}  // namespace wincompat
