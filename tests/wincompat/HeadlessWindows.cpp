#include "wincompat/HeadlessWindows.h"

#include <stdlib.h>

std::vector<ReceivedMessage> HeadlessWindowTest::received;
HCURSOR HeadlessWindowTest::classCursor = nullptr;

namespace {

std::vector<HWND> created;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HeadlessWindowTest::received.push_back({window, message, wParam, lParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void HeadlessWindowTest::SetUpTestSuite() {
    // GTK looks for a display once per process, at the first window. Without
    // one, top-level windows exist only when asked for (WINCOMPAT_HEADLESS).
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("WINCOMPAT_HEADLESS", "1", 1);
    static bool registered = false;
    if (registered) return;
    classCursor = LoadCursorW(nullptr, IDC_ARROW);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = Recorder;
    windowClass.hCursor = classCursor;
    windowClass.lpszClassName = L"HeadlessRecorder";
    registered = RegisterClassExW(&windowClass) != 0;
}

void HeadlessWindowTest::SetUp() { Forget(); }

void HeadlessWindowTest::TearDown() {
    for (HWND window : created)
        if (IsWindow(window)) DestroyWindow(window);
    created.clear();
    Pump();
    Forget();
}

HWND HeadlessWindowTest::Create(DWORD style, int x, int y, int width, int height, HWND parent) {
    HWND window = CreateWindowExW(0, L"HeadlessRecorder", L"Recorder", style, x, y, width, height, parent, nullptr,
                                  nullptr, nullptr);
    created.push_back(window);
    return window;
}

std::vector<UINT> HeadlessWindowTest::Sequence(const std::set<UINT>& kinds, HWND window) {
    std::vector<UINT> sequence;
    for (const ReceivedMessage& message : received)
        if (kinds.count(message.message) && (!window || message.window == window)) sequence.push_back(message.message);
    return sequence;
}

std::vector<ReceivedMessage> HeadlessWindowTest::Of(UINT kind, HWND window) {
    std::vector<ReceivedMessage> found;
    for (const ReceivedMessage& message : received)
        if (message.message == kind && (!window || message.window == window)) found.push_back(message);
    return found;
}

void HeadlessWindowTest::Forget() { received.clear(); }

void HeadlessWindowTest::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
