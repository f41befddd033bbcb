// Window rectangles, moves and sizes, and the screen they live on, without a
// display: one 1280×800 monitor at 96 dpi.
#include "wincompat/HeadlessWindows.h"

#include <wingdi.h>

namespace {

using WindowGeometryTest = HeadlessWindowTest;

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

}  // namespace

TEST_F(WindowGeometryTest, CreationSendsCreateThenSizeAndMoveWithTheRectangle) {
    HWND window = Create(WS_POPUP, 10, 20, 300, 200);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Sequence({WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}),
              (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
    EXPECT_EQ(Of(WM_SIZE)[0].lParam, MAKELPARAM(300, 200));
    EXPECT_EQ(Of(WM_MOVE)[0].lParam, MAKELPARAM(10, 20));
    ExpectRect(WindowRect(window), 10, 20, 310, 220);
    RECT client = {};
    ASSERT_TRUE(GetClientRect(window, &client));
    ExpectRect(client, 0, 0, 300, 200);  // no frame: the client area is the window
}

TEST_F(WindowGeometryTest, DefaultPositionAndSizeLieInsideTheWorkArea) {
    HWND window = Create(WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0);
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    RECT rect = WindowRect(window);
    EXPECT_GT(rect.right - rect.left, 0);
    EXPECT_GT(rect.bottom - rect.top, 0);
    EXPECT_GE(rect.left, work.left);
    EXPECT_GE(rect.top, work.top);
    EXPECT_LE(rect.right, work.right);
    EXPECT_LE(rect.bottom, work.bottom);
}

namespace {

struct PositionCase {
    const char* name;
    UINT flags;
    RECT expected;
    bool moves, sizes;
};

void PrintTo(const PositionCase& position, std::ostream* out) { *out << position.name; }

class SetWindowPosTest : public HeadlessWindowTest, public ::testing::WithParamInterface<PositionCase> {};

}  // namespace

// From 10,20 300×200 towards 50,60 400×500.
TEST_P(SetWindowPosTest, ChangesOnlyWhatTheFlagsAllowAndReportsIt) {
    const PositionCase& position = GetParam();
    HWND window = Create(WS_POPUP);
    Forget();
    ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 50, 60, 400, 500, position.flags | SWP_NOACTIVATE));
    RECT rect = WindowRect(window);
    ExpectRect(rect, position.expected.left, position.expected.top, position.expected.right, position.expected.bottom);
    EXPECT_EQ(Of(WM_MOVE).size(), position.moves ? 1u : 0u);
    EXPECT_EQ(Of(WM_SIZE).size(), position.sizes ? 1u : 0u);
    if (position.sizes) {
        EXPECT_EQ(Of(WM_SIZE)[0].lParam, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, SetWindowPosTest,
    ::testing::Values(PositionCase{"MoveAndSize", 0, {50, 60, 450, 560}, true, true},
                      PositionCase{"NoMove", SWP_NOMOVE, {10, 20, 410, 520}, false, true},
                      PositionCase{"NoSize", SWP_NOSIZE, {50, 60, 350, 260}, true, false},
                      PositionCase{"Neither", SWP_NOMOVE | SWP_NOSIZE, {10, 20, 310, 220}, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowGeometryTest, HeightChangeKeepsPositionAndWidth) {
    HWND window = Create(WS_POPUP, 100, 100, 200, 150);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 200, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    ExpectRect(WindowRect(window), 100, 100, 300, 350);
    EXPECT_TRUE(MoveWindow(window, 5, 6, 7, 8, TRUE));
    ExpectRect(WindowRect(window), 5, 6, 12, 14);
}

TEST_F(WindowGeometryTest, ChildCoordinatesAreThoseOfTheParentsClientArea) {
    HWND parent = Create(WS_POPUP, 100, 50, 400, 300);
    HWND child = Create(WS_CHILD, 20, 30, 50, 40, parent);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), parent);
    ExpectRect(WindowRect(child), 120, 80, 170, 120);
    POINT point = {125, 85};
    ASSERT_TRUE(ScreenToClient(child, &point));
    EXPECT_EQ(point.x, 5);
    EXPECT_EQ(point.y, 5);
    ASSERT_TRUE(ClientToScreen(parent, &point));
    EXPECT_EQ(point.x, 105);
    EXPECT_EQ(point.y, 55);
}

TEST_F(WindowGeometryTest, TheScreenIsOnePrimaryMonitorOf1280By800At96Dpi) {
    HWND window = Create(WS_POPUP, 10, 20, 300, 200);
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
    ExpectRect(info.rcMonitor, 0, 0, 1280, 800);
    ExpectRect(info.rcWork, 0, 0, 1280, 800);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(MonitorFromPoint({5000, 5000}, MONITOR_DEFAULTTONEAREST), monitor);
    EXPECT_EQ(MonitorFromPoint({5000, 5000}, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 800);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}
