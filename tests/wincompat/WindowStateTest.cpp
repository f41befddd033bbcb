// Styles, visibility, enabling, activation, focus, capture and text of
// windows without a display.
#include "wincompat/HeadlessWindows.h"

#include <thread>

namespace {

using WindowStateTest = HeadlessWindowTest;

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)); }

}  // namespace

TEST_F(WindowStateTest, StylesAsWindowsCorrectsThemAndShowingSetsVisible) {
    HWND overlapped = Create(WS_OVERLAPPED | WS_VISIBLE);
    EXPECT_EQ(Style(overlapped) & WS_CAPTION, static_cast<DWORD>(WS_CAPTION)) << "an overlapped window has a caption";
    EXPECT_TRUE(IsWindowVisible(overlapped));
    HWND popup = Create(WS_POPUP);
    EXPECT_EQ(Style(popup) & (WS_CAPTION | WS_VISIBLE), 0u);
    EXPECT_FALSE(ShowWindow(popup, SW_SHOWNA)) << "answers whether it was visible before";
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_TRUE(ShowWindow(popup, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_EQ(Sequence({WM_SHOWWINDOW}, popup).size(), 2u);
    LONG previous = SetWindowLongW(popup, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_THICKFRAME));
    EXPECT_EQ(static_cast<DWORD>(previous), static_cast<DWORD>(WS_POPUP | WS_CLIPSIBLINGS));
    EXPECT_EQ(Style(popup), static_cast<DWORD>(WS_POPUP | WS_THICKFRAME));
}

TEST_F(WindowStateTest, MinimisingAndRestoringFollowTheStyle) {
    HWND window = Create(WS_POPUP | WS_VISIBLE);
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_EQ(Of(WM_SIZE, window).back().wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(Of(WM_SIZE, window).back().lParam, MAKELPARAM(300, 200));
}

TEST_F(WindowStateTest, EnableWindowAnswersThePreviousStateAndTakesTheFocusAway) {
    HWND window = Create(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetFocus(), window);
    EXPECT_FALSE(EnableWindow(window, FALSE)) << "was enabled";
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_NE(Style(window) & WS_DISABLED, 0u);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(window, FALSE)) << "was disabled";
    EXPECT_TRUE(EnableWindow(window, TRUE));
    EXPECT_TRUE(IsWindowEnabled(window));
    std::vector<ReceivedMessage> enables = Of(WM_ENABLE, window);
    ASSERT_EQ(enables.size(), 2u) << "one per change";
    EXPECT_EQ(enables[0].wParam, 0u);
    EXPECT_EQ(enables[1].wParam, 1u);
    EXPECT_EQ(SetFocus(window), nullptr);
    EXPECT_EQ(GetFocus(), window);
    EnableWindow(window, FALSE);
    EXPECT_EQ(SetFocus(window), nullptr) << "a disabled window cannot take the focus";
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowStateTest, ShowingActivatesUnlessToldNotToAndActivationMovesTheFocus) {
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    HWND first = Create(WS_POPUP);
    ShowWindow(first, SW_SHOWNOACTIVATE);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    ShowWindow(first, SW_SHOW);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(GetFocus(), first);
    EXPECT_EQ(Sequence({WM_ACTIVATE, WM_SETFOCUS}, first), (std::vector<UINT>{WM_ACTIVATE, WM_SETFOCUS}));
    HWND second = Create(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetForegroundWindow(), second);
    EXPECT_EQ(GetFocus(), second);
    std::vector<ReceivedMessage> firstActivations = Of(WM_ACTIVATE, first);
    ASSERT_EQ(firstActivations.size(), 2u);
    EXPECT_EQ(LOWORD(firstActivations[1].wParam), WA_INACTIVE);
    EXPECT_EQ(Of(WM_KILLFOCUS, first).size(), 1u);
    EXPECT_TRUE(SetForegroundWindow(first));
    EXPECT_EQ(GetForegroundWindow(), first);
    DestroyWindow(first);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowStateTest, CaptureChangesAreAnnouncedToTheWindowLosingIt) {
    HWND first = Create(WS_POPUP);
    HWND second = Create(WS_POPUP);
    EXPECT_EQ(SetCapture(first), nullptr);
    EXPECT_EQ(SetCapture(second), first);
    EXPECT_EQ(GetCapture(), second);
    ASSERT_EQ(Of(WM_CAPTURECHANGED, first).size(), 1u);
    EXPECT_EQ(Of(WM_CAPTURECHANGED, first)[0].lParam, reinterpret_cast<LPARAM>(second));
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Of(WM_CAPTURECHANGED, second).size(), 1u);
}

TEST_F(WindowStateTest, TextSetFromAnotherThreadTravelsAsWmSetText) {
    HWND window = Create(WS_POPUP);
    BOOL set = FALSE;
    std::thread worker([&] { set = SetWindowTextW(window, L"安装向导"); });
    while (Of(WM_SETTEXT, window).empty()) {
        Pump();  // handles the message sent from the worker
        Sleep(1);
    }
    worker.join();
    EXPECT_TRUE(set);
    EXPECT_EQ(GetWindowTextLengthW(window), 4);
    wchar_t text[3] = {};
    EXPECT_EQ(GetWindowTextW(window, text, 3), 2) << "truncated to the buffer";
    EXPECT_STREQ(text, L"安装");
}
