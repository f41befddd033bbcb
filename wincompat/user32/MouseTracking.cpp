// TrackMouseEvent: WM_MOUSELEAVE once the mouse leaves the window's client area.
#include "user32/PointerState.h"
#include "user32/MessageQueue.h"
#include "user32/WindowTable.h"

using namespace wincompat;

extern "C" BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT track) {
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (track->dwFlags & TME_QUERY) {
        HWND hover = HoverWindow();
        std::shared_ptr<Window> window = FindWindowObject(hover);
        track->dwFlags = window && window->trackingLeave ? TME_LEAVE : 0;
        track->hwndTrack = window && window->trackingLeave ? hover : nullptr;
        return TRUE;
    }
    std::shared_ptr<Window> window = FindWindowObject(track->hwndTrack);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!(track->dwFlags & TME_LEAVE)) return TRUE;
    if (track->dwFlags & TME_CANCEL) {
        window->trackingLeave = false;
        return TRUE;
    }
    // Asked for a window the mouse is not over: it has left already.
    if (HoverWindow() != track->hwndTrack) {
        PostToWindow(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    window->trackingLeave = true;
    return TRUE;
}
