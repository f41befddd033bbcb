#include "user32/WindowTable.h"

#include "user32/DesktopWindow.h"
#include "prefix/Prefix.h"

#include <map>

namespace wincompat {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::wstring, WindowClass> classes;  // by upper-case name
    std::map<uintptr_t, std::shared_ptr<Window>> windows;
    uintptr_t nextHandle = 0x10010;
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

Window::~Window() = default;

std::wstring Window::Title() const {
    std::lock_guard<std::mutex> lock(titleMutex_);
    return title_;
}

void Window::SetTitle(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(titleMutex_);
    title_ = text;
}

std::shared_ptr<Window> FindWindowObject(HWND handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.windows.find(reinterpret_cast<uintptr_t>(handle));
    return found == registry.windows.end() ? nullptr : found->second;
}

std::shared_ptr<Window> AddWindow(const WindowClass& windowClass, HWND parent) {
    auto window = std::make_shared<Window>();
    window->procedure = windowClass.procedure;
    window->windowClass = windowClass;
    window->thread = GetCurrentThreadId();
    window->parent = parent;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    window->handle = reinterpret_cast<HWND>(registry.nextHandle);
    registry.nextHandle += 2;
    registry.windows[reinterpret_cast<uintptr_t>(window->handle)] = window;
    return window;
}

void RemoveWindow(HWND handle) {
    std::shared_ptr<Window> window;  // released after the lock
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.windows.find(reinterpret_cast<uintptr_t>(handle));
    if (found == registry.windows.end()) return;
    window = std::move(found->second);
    registry.windows.erase(found);
}

std::vector<std::shared_ptr<Window>> AllWindows() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::vector<std::shared_ptr<Window>> windows;
    for (auto& [handle, window] : registry.windows) windows.push_back(window);
    return windows;
}

bool FindClass(LPCWSTR name, WindowClass& out) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.classes.find(ClassKey(name));
    if (found == registry.classes.end()) return false;
    out = found->second;
    return true;
}

bool AddClass(const WindowClass& windowClass) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return registry.classes.emplace(ClassKey(windowClass.name.c_str()), windowClass).second;
}

bool RemoveClass(LPCWSTR name) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return name && registry.classes.erase(ClassKey(name)) != 0;
}

LRESULT SendToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Window> window = FindWindowObject(handle);
    return window ? window->procedure(handle, message, wParam, lParam) : 0;
}

}  // namespace wincompat
