#include "WindowFixture.h"

using namespace DuiLib;

const char* FixtureSkin() {
    return "<Window size=\"320,200\" caption=\"0,0,0,40\">"
           "<Font id=\"0\" name=\"Noto Sans CJK SC\" size=\"14\" default=\"true\"/>"
           "<VerticalLayout name=\"root\">"
           "<HorizontalLayout name=\"header\" height=\"40\"><Control name=\"title\"/>"
           "<Button name=\"minbtn\" width=\"30\"/><Button name=\"maxbtn\" width=\"30\"/>"
           "<Button name=\"restorebtn\" width=\"30\" visible=\"false\"/><Button name=\"closebtn\" width=\"30\"/>"
           "</HorizontalLayout>"
           "<HorizontalLayout height=\"30\">"
           "<Button name=\"first\" width=\"80\" cursor=\"hand\"/><Button name=\"off\" width=\"80\" enabled=\"false\"/>"
           "<CheckBox name=\"check\" width=\"80\"/><Button name=\"notab\" width=\"80\" tabstop=\"false\"/>"
           "</HorizontalLayout>"
           "<Edit name=\"edit\" height=\"30\" maxchar=\"6\"/>"
           "<Label name=\"space\"/>"
           "</VerticalLayout></Window>";
}

void WindowFixture::SetUp() {
    skin = std::make_unique<ScopedSkin>(std::map<std::string, std::string>{{"Main.xml", FixtureSkin()}});
    window = std::make_unique<TestWindow>();
    hwnd = window->Create(nullptr, L"toolkit test", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 100, 100, 50, 50);
    ASSERT_NE(hwnd, nullptr);
}

void WindowFixture::TearDown() {
    if (window && ::IsWindow(window->GetHWND())) ::DestroyWindow(window->GetHWND());
    Pump();
    window.reset();
    skin.reset();
}

void WindowFixture::Click(int x, int y) { Press(x, y, x, y); }

void WindowFixture::Press(int downX, int downY, int upX, int upY) {
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(downX, downY));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(downX, downY));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(upX, upY));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
}

LRESULT WindowFixture::Key(WPARAM key) { return ::SendMessageW(hwnd, WM_KEYDOWN, key, 1); }

void WindowFixture::Type(const std::wstring& text) {
    for (wchar_t c : text) ::SendMessageW(hwnd, WM_CHAR, static_cast<WPARAM>(c), 1);
}

bool WindowFixture::Translate(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return CPaintManagerUI::TranslateMessage(&msg);
}

CControlUI* WindowFixture::Find(const wchar_t* name) { return window->Manager().FindControl(name); }

std::wstring WindowFixture::FocusName() {
    CControlUI* focus = window->Manager().GetFocus();
    return focus ? focus->GetName() : L"<none>";
}

void WindowFixture::Pump() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
