// Without a display the desktop's dialogs answer at once and painting is
// harmless; the silent install relies on it.
#include "wincompat/HeadlessWindows.h"

#include <shlobj.h>

#include <cairo.h>

namespace {

using DesktopHeadlessTest = HeadlessWindowTest;

}  // namespace

TEST_F(DesktopHeadlessTest, MessageBoxReportsToStandardErrorAndAnswersOk) {
    HWND owner = Create(WS_POPUP | WS_VISIBLE);
    ::testing::internal::CaptureStderr();
    int answer = MessageBoxW(owner, L"安装失败", L"提示", MB_YESNO | MB_ICONERROR);
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(errors, "提示: 安装失败\n");
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DesktopHeadlessTest, FolderPickerChoosesNothing) {
    wchar_t name[MAX_PATH] = L"untouched";
    BROWSEINFOW info = {};
    info.pszDisplayName = name;
    info.lpszTitle = L"选择安装目录";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
    EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
    EXPECT_STREQ(name, L"untouched");
}

TEST_F(DesktopHeadlessTest, PaintingOutsideWmPaintDrawsNowhereWithoutHarm) {
    HWND window = Create(WS_POPUP | WS_VISIBLE);
    EXPECT_TRUE(InvalidateRect(window, nullptr, FALSE));
    EXPECT_TRUE(UpdateWindow(window));
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    ASSERT_NE(dc, nullptr);
    auto* cr = reinterpret_cast<cairo_t*>(dc);
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    cairo_rectangle(cr, 0, 0, 100, 100);
    cairo_fill(cr);
    EXPECT_TRUE(IsRectEmpty(&paint.rcPaint)) << "nothing was waiting to be painted";
    EXPECT_TRUE(EndPaint(window, &paint));
    EXPECT_TRUE(Of(WM_PAINT).empty()) << "a window without a display is never painted";
}

TEST_F(DesktopHeadlessTest, TimersOfATopLevelWindowTickInGetMessage) {
    HWND window = Create(WS_POPUP | WS_VISIBLE);
    ASSERT_EQ(SetTimer(window, 9, 10, nullptr), 9u);
    MSG msg;
    while (Of(WM_TIMER, window).size() < 2 && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    EXPECT_TRUE(KillTimer(window, 9));
    EXPECT_EQ(Of(WM_TIMER, window)[0].wParam, 9u);
}
