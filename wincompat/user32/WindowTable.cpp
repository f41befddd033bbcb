#include "user32/WindowTable.h"

#include "user32/MessageQueue.h"
#include "prefix/Prefix.h"

#include <map>
#include <mutex>

namespace wincompat {

namespace {

struct WindowClass {
    std::wstring name;
    UINT style;
    WNDPROC procedure;
    HINSTANCE instance;
};

struct Registry {
    std::mutex mutex;
    std::map<std::wstring, WindowClass> classes;  // by upper-case name
    std::map<uintptr_t, std::shared_ptr<Window>> windows;
    uintptr_t nextHandle = 0x10010;
    ATOM nextAtom = 0xC000;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

std::wstring ClassKey(LPCWSTR name) {
    std::wstring key;
    if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
    for (const wchar_t* p = name; *p; ++p) key += UpperCase(*p);
    return key;
}

}  // namespace

std::shared_ptr<Window> FindWindowObject(HWND handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.windows.find(reinterpret_cast<uintptr_t>(handle));
    return found == registry.windows.end() ? nullptr : found->second;
}

namespace {

std::shared_ptr<Window> AddWindow(const WindowClass& windowClass, LPCWSTR title, HWND parent) {
    auto window = std::make_shared<Window>();
    window->procedure = windowClass.procedure;
    window->thread = GetCurrentThreadId();
    window->parent = parent;
    window->className = windowClass.name;
    window->title = title ? title : L"";
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    window->handle = reinterpret_cast<HWND>(registry.nextHandle);
    registry.nextHandle += 2;
    registry.windows[reinterpret_cast<uintptr_t>(window->handle)] = window;
    return window;
}

void RemoveWindow(HWND handle) {
    std::shared_ptr<Window> window;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.windows.find(reinterpret_cast<uintptr_t>(handle));
    if (found == registry.windows.end()) return;
    window = std::move(found->second);
    registry.windows.erase(found);
}

bool FindClass(LPCWSTR name, WindowClass& out) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.classes.find(ClassKey(name));
    if (found == registry.classes.end()) return false;
    out = found->second;
    return true;
}

}  // namespace

}  // namespace wincompat

using namespace wincompat;

extern "C" ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* windowClass) {
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXW) || !windowClass->lpszClassName ||
        !windowClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::wstring key = ClassKey(windowClass->lpszClassName);
    if (registry.classes.count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    registry.classes[key] = {windowClass->lpszClassName, windowClass->style, windowClass->lpfnWndProc,
                             windowClass->hInstance};
    return registry.nextAtom++;
}

extern "C" BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (!className || registry.classes.erase(ClassKey(className)) == 0) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return TRUE;
}

extern "C" HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                       LPVOID param) {
    WindowClass windowClass;
    if (!className || !FindClass(className, windowClass)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
    }
    if (parent && parent != HWND_MESSAGE && !FindWindowObject(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::shared_ptr<Window> window = AddWindow(windowClass, windowName, parent);
    CREATESTRUCTW create = {param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                            windowName, className, exStyle};
    LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    // A window refusing WM_NCCREATE or WM_CREATE is destroyed again, as on Windows.
    if (!window->procedure(window->handle, WM_NCCREATE, 0, createParam) ||
        window->procedure(window->handle, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(window->handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return window->handle;
}

extern "C" BOOL WINAPI DestroyWindow(HWND handle) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);  // only the owning thread destroys a window
        return FALSE;
    }
    window->procedure(handle, WM_DESTROY, 0, 0);
    window->procedure(handle, WM_NCDESTROY, 0, 0);
    KillWindowTimers(handle);
    RemoveWindow(handle);
    return TRUE;
}

extern "C" BOOL WINAPI IsWindow(HWND handle) { return FindWindowObject(handle) ? TRUE : FALSE; }

extern "C" LRESULT WINAPI DefWindowProcW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(handle); return 0;
    default: return 0;
    }
}

extern "C" LONG_PTR WINAPI GetWindowLongPtrW(HWND handle, int index) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index == GWLP_USERDATA) return window->userData;
    if (index == GWLP_WNDPROC) return reinterpret_cast<LONG_PTR>(window->procedure);
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

extern "C" LONG_PTR WINAPI SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR previous = 0;
    if (index == GWLP_USERDATA) {
        previous = window->userData;
        window->userData = value;
    } else if (index == GWLP_WNDPROC) {
        previous = reinterpret_cast<LONG_PTR>(window->procedure);
        window->procedure = reinterpret_cast<WNDPROC>(value);
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    return previous;
}

extern "C" DWORD WINAPI GetWindowThreadProcessId(HWND handle, LPDWORD processId) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) return 0;
    if (processId) *processId = GetCurrentProcessId();
    return window->thread;
}

extern "C" HCURSOR WINAPI GetCursor(void) { return nullptr; }

extern "C" LRESULT WINAPI SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->thread != GetCurrentThreadId()) return SendMessageToThread(window, message, wParam, lParam);
    return window->procedure(handle, message, wParam, lParam);
}
