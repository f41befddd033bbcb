// Monitors, screen metrics and the work area, in device pixels.
#include "user32/Monitors.h"
#include "user32/WindowTable.h"

#include <limits>

using namespace wincompat;

namespace {

HMONITOR HandleOf(size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

LONG DistanceToRect(const RECT& rect, POINT point) {
    LONG dx = point.x < rect.left ? rect.left - point.x : point.x >= rect.right ? point.x - rect.right + 1 : 0;
    LONG dy = point.y < rect.top ? rect.top - point.y : point.y >= rect.bottom ? point.y - rect.bottom + 1 : 0;
    return dx + dy;
}

HMONITOR MonitorNear(POINT point, DWORD flags) {
    std::vector<MonitorArea> monitors = DesktopMonitors();
    size_t nearest = 0;
    LONG best = std::numeric_limits<LONG>::max();
    for (size_t i = 0; i < monitors.size(); ++i) {
        LONG distance = DistanceToRect(monitors[i].monitor, point);
        if (distance == 0) return HandleOf(i);
        if (distance < best) best = distance, nearest = i;
    }
    if (flags == MONITOR_DEFAULTTONEAREST) return HandleOf(nearest);
    if (flags == MONITOR_DEFAULTTOPRIMARY) return HandleOf(0);
    return nullptr;
}

POINT CentreOf(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

}  // namespace

extern "C" HMONITOR WINAPI MonitorFromPoint(POINT point, DWORD flags) { return MonitorNear(point, flags); }

extern "C" HMONITOR WINAPI MonitorFromRect(LPCRECT rect, DWORD flags) {
    return rect ? MonitorNear(CentreOf(*rect), flags) : nullptr;
}

extern "C" HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return flags == MONITOR_DEFAULTTONULL ? nullptr : HandleOf(0);
    return MonitorNear(CentreOf(rect), flags);
}

extern "C" BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    std::vector<MonitorArea> monitors = DesktopMonitors();
    size_t index = reinterpret_cast<size_t>(monitor) - 1;
    if (!info || info->cbSize < sizeof(MONITORINFO) || !monitor || index >= monitors.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->rcMonitor = monitors[index].monitor;
    info->rcWork = monitors[index].work;
    info->dwFlags = monitors[index].primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

extern "C" int WINAPI GetSystemMetrics(int index) {
    const MonitorArea primary = DesktopMonitors().front();
    switch (index) {
    case SM_CXSCREEN: return primary.monitor.right - primary.monitor.left;
    case SM_CYSCREEN: return primary.monitor.bottom - primary.monitor.top;
    case SM_CXFULLSCREEN: return primary.work.right - primary.work.left;
    case SM_CYFULLSCREEN: return primary.work.bottom - primary.work.top;
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN: {
        RECT all = primary.monitor;
        for (const MonitorArea& area : DesktopMonitors()) UnionRect(&all, &all, &area.monitor);
        return index == SM_CXVIRTUALSCREEN ? all.right - all.left : all.bottom - all.top;
    }
    case SM_CMONITORS: return static_cast<int>(DesktopMonitors().size());
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    default: return 0;
    }
}

extern "C" BOOL WINAPI SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT winIni) {
    if (action != SPI_GETWORKAREA || !pvParam) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<RECT*>(pvParam) = DesktopMonitors().front().work;
    return TRUE;
}
