// Parents, owners and the desktop window.
#include "user32/Activation.h"
#include "user32/WindowTable.h"

using namespace wincompat;

namespace {

int desktopWindow;  // GetDesktopWindow's handle: not a window of the table

}  // namespace

// As on Windows: a child's parent, a popup's owner, else nothing.
extern "C" HWND WINAPI GetParent(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (window->IsChild()) return window->parent;
    return (window->style & WS_POPUP) ? window->owner : nullptr;
}

extern "C" HWND WINAPI GetAncestor(HWND handle, UINT flags) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) return nullptr;
    switch (flags) {
    case GA_PARENT: return window->IsChild() ? window->parent : GetDesktopWindow();
    case GA_ROOT: return RootWindow(handle);
    case GA_ROOTOWNER: {
        HWND root = RootWindow(handle);
        for (std::shared_ptr<Window> owner = FindWindowObject(root); owner && owner->owner;
             owner = FindWindowObject(owner->owner))
            root = owner->owner;
        return root;
    }
    default: return nullptr;
    }
}

extern "C" HWND WINAPI GetWindow(HWND handle, UINT command) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (command == GW_OWNER) return window->owner;
    if (command != GW_CHILD) return nullptr;
    for (const std::shared_ptr<Window>& other : AllWindows())
        if (other->IsChild() && other->parent == handle) return other->handle;
    return nullptr;
}

extern "C" HWND WINAPI GetDesktopWindow(void) { return reinterpret_cast<HWND>(&desktopWindow); }
