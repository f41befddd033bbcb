// Window text: WM_SETTEXT/WM_GETTEXT as Windows sends them, kept by
// DefWindowProcW; a top-level window shows it as its GTK title.
#include "user32/DesktopWindow.h"
#include "user32/WindowText.h"
#include "user32/WindowTable.h"

#include <string.h>

namespace wincompat {

// DefWindowProcW's part: stores the text and shows it.
LRESULT StoreWindowText(HWND handle, LPCWSTR text) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) return FALSE;
    window->SetTitle(text ? text : L"");
    WithDesktopWindow(handle, [title = window->Title()](DesktopWindow& desktop) { desktop.SetTitle(title); });
    return TRUE;
}

LRESULT CopyWindowText(HWND handle, LPWSTR buffer, WPARAM size) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window || !buffer || size == 0) return 0;
    std::wstring title = window->Title();
    size_t copied = std::min(title.size(), static_cast<size_t>(size - 1));
    title.copy(buffer, copied);
    buffer[copied] = L'\0';
    return static_cast<LRESULT>(copied);
}

LRESULT WindowTextLength(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    return window ? static_cast<LRESULT>(window->Title().size()) : 0;
}

}  // namespace wincompat

using namespace wincompat;

// From another thread the text travels to the owning thread as WM_SETTEXT.
extern "C" BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

// The text is read directly, so a busy owning thread never blocks the caller.
extern "C" int WINAPI GetWindowTextW(HWND window, LPWSTR text, int maxCount) {
    if (maxCount <= 0) return 0;
    return static_cast<int>(CopyWindowText(window, text, static_cast<WPARAM>(maxCount)));
}

extern "C" int WINAPI GetWindowTextLengthW(HWND window) { return static_cast<int>(WindowTextLength(window)); }
