// WindowImplBase as a window: creation from the skin, the standard buttons,
// system commands, the key filter, the caption, the message loop, and the
// failure to load a skin.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

using namespace DuiLib;

using Events = std::vector<std::wstring>;

namespace {

// The events without focus changes.
Events WithoutFocus(const Events& events) {
    Events kept;
    for (const std::wstring& event : events) {
        if (event.find(L"focus:") == std::wstring::npos) kept.push_back(event);
    }
    return kept;
}

}  // namespace

TEST_F(WindowFixture, CreationBuildsTheSkinAndSizesTheWindow) {
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT rect{};
    ASSERT_TRUE(::GetWindowRect(hwnd, &rect));
    EXPECT_EQ(rect.right - rect.left, 320);
    EXPECT_EQ(rect.bottom - rect.top, 200);
    EXPECT_EQ(window->Manager().GetPaintWindow(), hwnd);
    ASSERT_NE(Find(L"root"), nullptr);
    EXPECT_EQ(Find(L"root"), window->Manager().GetRoot());
    EXPECT_EQ(window->events, (Events{L"init", L"notify:windowinit:root"}));
}

TEST_F(WindowFixture, StandardButtons) {
    window->ClearEvents();
    Click(245, 20);  // minbtn
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    Click(275, 20);  // maxbtn
    EXPECT_EQ(WithoutFocus(window->events), (Events{L"notify:click:minbtn", L"syscommand:" + std::to_wstring(SC_MINIMIZE),
                                      L"syscommand:" + std::to_wstring(SC_RESTORE), L"notify:click:maxbtn",
                                      L"syscommand:" + std::to_wstring(SC_MAXIMIZE)}));
    // Maximised: the restore button takes the maximise button's place.
    EXPECT_FALSE(Find(L"maxbtn")->IsVisible());
    EXPECT_TRUE(Find(L"restorebtn")->IsVisible());
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(Find(L"maxbtn")->IsVisible());
    EXPECT_FALSE(Find(L"restorebtn")->IsVisible());

    window->ClearEvents();
    Click(305, 20);  // closebtn: closes with result 1, through the queue
    EXPECT_EQ(WithoutFocus(window->events), Events{L"notify:click:closebtn"});
    EXPECT_TRUE(::IsWindow(hwnd));
    Pump();
    EXPECT_EQ(WithoutFocus(window->events), (Events{L"notify:click:closebtn", L"close:1", L"final"}));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(window->GetHWND(), nullptr);
    EXPECT_FALSE(window->Manager().HasNotifier());
}

TEST_F(WindowFixture, SystemCloseBecomesWmClose) {
    window->ClearEvents();
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(window->events, (Events{L"syscommand:" + std::to_wstring(SC_CLOSE), L"close:0", L"final"}));
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(WindowFixture, EnterAndEscapeReachTheDefaultKeyHandlerUnconsumed) {
    window->ClearEvents();
    EXPECT_FALSE(Translate(WM_KEYDOWN, VK_RETURN));
    EXPECT_FALSE(Translate(WM_KEYDOWN, VK_ESCAPE));
    EXPECT_FALSE(Translate(WM_KEYDOWN, 'A'));
    EXPECT_FALSE(Translate(WM_KEYUP, VK_RETURN));
    EXPECT_EQ(window->events, (Events{L"key:13", L"key:27"}));
}

TEST_F(WindowFixture, CenterWindowUsesTheMonitorsWorkArea) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    window->CenterWindow();
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.left, std::max<LONG>(work.left, work.left + (work.right - work.left - 320) / 2));
    EXPECT_EQ(rect.top, std::max<LONG>(work.top, work.top + (work.bottom - work.top - 200) / 2));
    EXPECT_EQ(rect.right - rect.left, 320);
}

TEST_F(WindowFixture, CaptionDragsExceptOverActiveControls) {
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    auto hit = [&](int x, int y) {
        return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(rect.left + x, rect.top + y));
    };
    EXPECT_EQ(hit(10, 10), HTCAPTION);
    EXPECT_EQ(hit(245, 20), HTCLIENT);  // minbtn
    EXPECT_EQ(hit(10, 50), HTCLIENT);   // below the caption
    Find(L"minbtn")->SetEnabled(false);
    EXPECT_EQ(hit(245, 20), HTCAPTION);
}

namespace {

struct Swallower : IMessageFilterUI {
    UINT swallowed;
    std::vector<UINT> seen;
    explicit Swallower(UINT message) : swallowed(message) {}
    LRESULT MessageHandler(UINT msg, WPARAM, LPARAM, bool& bHandled) override {
        seen.push_back(msg);
        if (msg == swallowed) bHandled = true;
        return 0;
    }
};

LRESULT CALLBACK PlainProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

TEST_F(WindowFixture, MessageLoopOffersMessagesToFiltersUntilQuit) {
    Swallower filter(WM_APP + 2);
    window->Manager().AddMessageFilter(&filter);
    window->ClearEvents();
    ::PostMessageW(hwnd, WM_APP + 1, 0, 0);
    ::PostMessageW(hwnd, WM_APP + 2, 0, 0);
    ::PostMessageW(hwnd, WM_APP + 3, 0, 0);
    ::PostQuitMessage(0);
    CPaintManagerUI::MessageLoop();
    EXPECT_EQ(window->events, (Events{L"app:1", L"app:3"}));
    window->Manager().RemoveMessageFilter(&filter);
}

TEST_F(WindowFixture, ChildWindowMessagesAreSeenByParentsButNeverTaken) {
    WNDCLASSEXW plain{};
    plain.cbSize = sizeof(plain);
    plain.lpfnWndProc = &PlainProcedure;
    plain.lpszClassName = L"VelmoraToolkitPlainChild";
    ::RegisterClassExW(&plain);
    HWND child = ::CreateWindowExW(0, L"VelmoraToolkitPlainChild", L"", WS_CHILD, 0, 0, 10, 10, hwnd, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    Swallower filter(WM_APP + 5);
    window->Manager().AddMessageFilter(&filter);
    MSG msg{};
    msg.hwnd = child;
    msg.message = WM_APP + 5;
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(filter.seen, std::vector<UINT>{WM_APP + 5});
    msg.hwnd = hwnd;  // the window's own message is taken
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
    window->Manager().RemoveMessageFilter(&filter);
    ::DestroyWindow(child);
}

// A window whose skin cannot be built says so and ends the process with 1.
TEST(SkinFailure, MessageBoxAndExitCodeOne) {
    std::string folder = MakeTestFolder("broken-skins");
    WriteWholeFile(folder + "/Invalid.xml", "<Window><VerticalLayout></Window>");
    WriteWholeFile(folder + "/Unknown.xml", "<Window><VerticalLayout><Gadget/></VerticalLayout></Window>");
    WriteWholeFile(folder + "/Good.xml", "<Window size=\"10,10\"><Label/></Window>");
    struct Case {
        const char* source;
        const char* file;
        int exitCode;
    };
    const Case cases[] = {
        {"folder", "Missing.xml", 1},
        {"folder", "Invalid.xml", 1},
        {"folder", "Unknown.xml", 1},
        {"garbage-zip", "Good.xml", 1},
        {"folder", "Good.xml", 0},
    };
    for (const Case& c : cases) {
        ProcessResult result = RunProcess({BuildFile("toolkit_skin_probe"), c.source, folder, c.file},
                                          {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
        EXPECT_EQ(result.exitCode, c.exitCode) << c.file << " " << result.errors;
        std::string message = std::string("Duilib: 加载资源文件失败：") + c.file + "\n";
        if (c.exitCode == 1) {
            EXPECT_NE(result.errors.find(message), std::string::npos) << result.errors;
        } else {
            EXPECT_EQ(result.errors.find("Duilib"), std::string::npos) << result.errors;
        }
    }
}

// The display's scale reaches every skin size: the window and the controls.
TEST(SkinScale, WindowAndControlSizesFollowTheDisplayDpi) {
    std::string folder = MakeTestFolder("scaled-skin");
    WriteWholeFile(folder + "/Scaled.xml",
                   "<Window size=\"160,100\"><VerticalLayout><Label name=\"probe\" height=\"30\"/></VerticalLayout></Window>");
    struct Case {
        const char* scale;
        const char* expected;
    };
    const Case cases[] = {
        {"1", "dpi 96 window 160x100 height 30\n"},
        {"2", "dpi 192 window 320x200 height 60\n"},
    };
    for (const Case& c : cases) {
        ProcessResult result = RunProcess({BuildFile("toolkit_skin_probe"), "folder", folder, "Scaled.xml"},
                                          {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"GDK_SCALE", c.scale}});
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        EXPECT_EQ(result.output, c.expected) << "GDK_SCALE=" << c.scale;
    }
}
