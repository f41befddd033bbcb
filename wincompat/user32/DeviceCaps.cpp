// GetDeviceCaps: the display's resolution and size, whatever the context.
#include "user32/Desktop.h"
#include "user32/Monitors.h"

#include <wingdi.h>

extern "C" int WINAPI GetDeviceCaps(HDC dc, int index) {
    using namespace wincompat;
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96 * DesktopScale();
    case HORZRES: {
        RECT monitor = DesktopMonitors().front().monitor;
        return monitor.right - monitor.left;
    }
    case VERTRES: {
        RECT monitor = DesktopMonitors().front().monitor;
        return monitor.bottom - monitor.top;
    }
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    default: return 0;
    }
}
