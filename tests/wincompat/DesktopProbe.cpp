// desktop-probe: a Windows program with one top-level window, for the
// desktop tests that run it under Xvfb. It reports, one line each on standard
// output, what the window receives and finds. By its first argument:
//   paint       paints a 100×100 red square on blue at device pixels (0,0);
//               after the first paint it grows from 200×150 to 200×250, then
//               a worker invalidates its top-left 50×50. Escape ends it.
//   input       reports mouse, key (with whether Shift is held), character,
//               focus and system-command messages, and the mouse leaving
//               (tracked from its first move); the top 30 pixels are its
//               caption. Alt+F4 ends it.
//   messagebox  opens a message box while a worker posts to the window;
//               reports the answer and what was dispatched meanwhile.
//   quitbox     like messagebox, but a posted message quits the program
//               while the box is open.
//   folder [P]  opens the folder picker (its callback selects the DOS path P)
//               and reports the folder chosen.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <cairo.h>
#include <stdio.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

constexpr UINT kGrow = WM_USER + 1;
constexpr UINT kTick = WM_USER + 2;
constexpr UINT kOpenBox = WM_USER + 3;
constexpr UINT kQuit = WM_USER + 4;
constexpr UINT kOpenFolder = WM_USER + 5;
constexpr UINT_PTR kSafetyTimer = 1;

std::string mode;
std::wstring initialFolder;
int paints = 0;
bool boxOpen = false;
int ticksDuringBox = 0;
int inputDuringBox = 0;
std::atomic<bool> ticking{true};
bool trackingMouse = false;

void Say(const char* format, long a = 0, long b = 0, long c = 0, long d = 0) {
    printf(format, a, b, c, d);
    printf("\n");
    fflush(stdout);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    auto* cr = reinterpret_cast<cairo_t*>(BeginPaint(window, &paint));
    RECT client;
    GetClientRect(window, &client);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 0, 0, client.right, client.bottom);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 100, 100);
    cairo_fill(cr);
    EndPaint(window, &paint);
    Say("paint %ld %ld %ld %ld", paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom);
    if (mode == "paint" && paints == 0) PostMessageW(window, kGrow, 0, 0);
    if (mode == "paint" && paint.rcPaint.bottom == 250) {
        std::thread([window] {
            RECT corner = {0, 0, 50, 50};
            InvalidateRect(window, &corner, FALSE);
        }).detach();
    }
    ++paints;
}

void OpenBox(HWND window) {
    Say("box open");
    boxOpen = true;
    int answer = MessageBoxW(window, L"请确认", L"ProbeBox", MB_OKCANCEL | MB_ICONQUESTION);
    boxOpen = false;
    Say("answer %ld", answer);
    Say("ticks during box %ld", ticksDuringBox);
    Say("input during box %ld", inputDuringBox);
    Say("enabled after %ld", IsWindowEnabled(window));
    ticking = false;
    if (mode == "messagebox") DestroyWindow(window);
}

std::string Utf8(const wchar_t* text) {
    char buffer[4 * MAX_PATH] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

int CALLBACK FolderCallback(HWND picker, UINT message, LPARAM lParam, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    Say("picker initialized");
    if (!initialFolder.empty()) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, (LPARAM)initialFolder.c_str());
    return 0;
}

void OpenFolder(HWND window) {
    wchar_t name[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = window;
    info.pszDisplayName = name;
    info.lpszTitle = L"ProbeFolder 选择文件夹";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
    info.lpfn = FolderCallback;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    wchar_t path[MAX_PATH] = {};
    if (chosen && SHGetPathFromIDListW(chosen, path))
        printf("chosen %s\nname %s\n", Utf8(path).c_str(), Utf8(name).c_str());
    else
        printf("chosen none\n");
    fflush(stdout);
    CoTaskMemFree(chosen);
    DestroyWindow(window);
}

bool ReportInput(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN: Say("WM_LBUTTONDOWN %ld %ld %ld", (short)LOWORD(lParam), (short)HIWORD(lParam), wParam); break;
    case WM_LBUTTONUP: Say("WM_LBUTTONUP %ld %ld", (short)LOWORD(lParam), (short)HIWORD(lParam)); break;
    case WM_KEYDOWN:
        Say("WM_KEYDOWN 0x%lx", wParam);
        if (wParam >= 'A' && wParam <= 'Z') Say("shift %ld", GetKeyState(VK_SHIFT) < 0);
        break;
    case WM_MOUSELEAVE: Say("WM_MOUSELEAVE"); break;
    case WM_SYSKEYDOWN: Say("WM_SYSKEYDOWN 0x%lx %ld", wParam, (lParam >> 29) & 1); break;
    case WM_CHAR: Say("WM_CHAR 0x%lx", wParam); break;
    case WM_SYSCOMMAND: Say("WM_SYSCOMMAND 0x%lx", wParam); break;
    case WM_MOVE: Say("WM_MOVE %ld %ld", (short)LOWORD(lParam), (short)HIWORD(lParam)); break;
    case WM_SETFOCUS: Say("WM_SETFOCUS"); break;
    default: return false;
    }
    return true;
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (boxOpen && (message == WM_LBUTTONDOWN || message == WM_KEYDOWN || message == WM_CHAR)) ++inputDuringBox;
    if (mode == "input") ReportInput(message, wParam, lParam);
    switch (message) {
    case WM_PAINT: Paint(window); return 0;
    case WM_MOUSEMOVE:
        if (!trackingMouse) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, 0};
            trackingMouse = TrackMouseEvent(&track);
        }
        return 0;
    case WM_NCHITTEST: {
        POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        ScreenToClient(window, &point);
        return point.y < 30 ? HTCAPTION : HTCLIENT;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && mode == "paint") DestroyWindow(window);
        return 0;
    case kGrow: SetWindowPos(window, nullptr, 0, 0, 200, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE); return 0;
    case kTick:
        if (boxOpen) ++ticksDuringBox;
        return 0;
    case kOpenBox: OpenBox(window); return 0;
    case kQuit: PostQuitMessage(5); return 0;
    case kOpenFolder: OpenFolder(window); return 0;
    case WM_TIMER: DestroyWindow(window); return 0;  // the safety timer: never outlive the test
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreateProbeWindow() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"DesktopProbe";
    RegisterClassExW(&windowClass);
    int height = mode == "paint" ? 150 : 200;
    HWND window = CreateWindowExW(0, L"DesktopProbe", L"DesktopProbe", WS_POPUP, 100, 100, mode == "paint" ? 200 : 300,
                                  height, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    SetTimer(window, kSafetyTimer, 30000, nullptr);
    return window;
}

void StartTicking(HWND window) {
    std::thread([window] {
        for (int i = 0; ticking && i < 2000; ++i) {
            Sleep(20);
            if (ticking) PostMessageW(window, kTick, 0, 0);
            if (mode == "quitbox" && i == 25) PostMessageW(window, kQuit, 0, 0);
        }
    }).detach();
}

}  // namespace

int main(int argc, char** argv) {
    mode = argc > 1 ? argv[1] : "";
    if (argc > 2) {
        wchar_t folder[MAX_PATH] = {};
        MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, folder, MAX_PATH);
        initialFolder = folder;
    }
    Say("dpi %ld", GetDeviceCaps(GetDC(nullptr), LOGPIXELSX));
    Say("screen %ld %ld", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = CreateProbeWindow();
    if (mode == "messagebox" || mode == "quitbox") {
        StartTicking(window);
        PostMessageW(window, kOpenBox, 0, 0);
    }
    if (mode == "folder") PostMessageW(window, kOpenFolder, 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ticking = false;
    Say("quit %ld", static_cast<long>(msg.wParam));
    return 0;
}
