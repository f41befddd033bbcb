// Mouse and keyboard reaching the controls of a skinned window: clicks,
// hot state, focus and Tab order, Space, and typing into an edit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowFixture.h"

using namespace DuiLib;

using Events = std::vector<std::wstring>;

TEST_F(WindowFixture, ClickIsDownAndUpInsideAnEnabledButton) {
    window->ClearEvents();
    Click(40, 55);                // first
    Press(40, 55, 120, 55);       // down on first, up on off
    Press(120, 55, 40, 55);       // down on the disabled button
    Press(40, 55, 40, 150);       // up outside any button
    Click(200, 55);               // the check box toggles
    EXPECT_EQ(window->events, (Events{L"notify:setfocus:first", L"notify:click:first", L"notify:killfocus:first",
                                      L"notify:setfocus:check", L"notify:click:check", L"notify:selectchanged:check"}));
    EXPECT_TRUE(static_cast<COptionUI*>(Find(L"check"))->IsSelected());
}

TEST_F(WindowFixture, HotStateFollowsTheMouse) {
    auto* first = static_cast<CButtonUI*>(Find(L"first"));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(40, 55));
    EXPECT_TRUE(first->IsHot());
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(120, 55));
    EXPECT_FALSE(first->IsHot());
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(40, 55));
    ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(first->IsHot());
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 55));
    EXPECT_TRUE(first->IsPushed());
    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 150));
    EXPECT_FALSE(first->IsPushed());  // still captured, no longer over it
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(40, 150));
}

TEST_F(WindowFixture, TabWalksEnabledVisibleTabStopsInTreeOrder) {
    std::vector<std::wstring> order;
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(Translate(WM_KEYDOWN, VK_TAB));
        order.push_back(FocusName());
    }
    // off is disabled, notab is no tab stop, restorebtn is hidden; the walk wraps.
    EXPECT_EQ(order, (Events{L"minbtn", L"maxbtn", L"closebtn", L"first", L"check", L"edit", L"minbtn"}));
    window->Manager().SetNextTabControl(false);
    EXPECT_EQ(FocusName(), L"edit");
    window->Manager().SetNextTabControl(false);
    EXPECT_EQ(FocusName(), L"check");

    Find(L"edit")->SetVisible(false);
    Find(L"first")->GetParent()->SetEnabled(false);  // a disabled row: none of its buttons
    Find(L"closebtn")->SetFocus();
    Translate(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(FocusName(), L"minbtn");
}

TEST_F(WindowFixture, SpaceActivatesTheFocusedControl) {
    Find(L"first")->SetFocus();
    window->ClearEvents();
    Key(VK_SPACE);
    Find(L"check")->SetFocus();
    Key(VK_SPACE);
    Key(VK_SPACE);
    EXPECT_EQ(window->events, (Events{L"notify:click:first", L"notify:killfocus:first", L"notify:setfocus:check",
                                      L"notify:click:check", L"notify:selectchanged:check", L"notify:click:check",
                                      L"notify:selectchanged:check"}));
    EXPECT_FALSE(static_cast<COptionUI*>(Find(L"check"))->IsSelected());
}

TEST_F(WindowFixture, ClickOnNothingFocusableKeepsAButtonFocused) {
    EXPECT_FALSE(Find(L"first")->IsFocused());
    Translate(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(Find(L"minbtn")->IsFocused());
    Click(200, 150);  // on no focusable control: a button keeps its focus
    EXPECT_TRUE(Find(L"minbtn")->IsFocused());
}

TEST_F(WindowFixture, EditTakesTypedTextAndCaretKeys) {
    auto* edit = static_cast<CEditUI*>(Find(L"edit"));
    Click(100, 85);
    EXPECT_EQ(FocusName(), L"edit");
    window->ClearEvents();
    Type(L"a中文");
    EXPECT_EQ(edit->GetText(), L"a中文");
    EXPECT_EQ(window->events, (Events(3, L"notify:textchanged:edit")));

    Key(VK_LEFT);
    Type(L"b");
    EXPECT_EQ(edit->GetText(), L"a中b文");
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(edit->GetText(), L"中b文");
    Key(VK_END);
    Key(VK_BACK);
    EXPECT_EQ(edit->GetText(), L"中b");
    EXPECT_EQ(edit->GetCaretPos(), 2);

    Type(L"12345678");  // maxchar is 6
    EXPECT_EQ(edit->GetText(), L"中b1234");
    edit->SetSel(1, 3);
    Type(L"x");
    EXPECT_EQ(edit->GetText(), L"中x234");
}

TEST_F(WindowFixture, EditLeavesEnterEscapeAndControlCharacters) {
    auto* edit = static_cast<CEditUI*>(Find(L"edit"));
    edit->SetFocus();
    edit->SetText(L"abc");
    LRESULT result = 0;
    EXPECT_FALSE(window->Manager().MessageHandler(WM_KEYDOWN, VK_RETURN, 0, result));
    EXPECT_FALSE(window->Manager().MessageHandler(WM_KEYDOWN, VK_ESCAPE, 0, result));
    for (WPARAM ch : {WPARAM('\r'), WPARAM(0x1B), WPARAM('\t'), WPARAM(0x08), WPARAM(0x01)})
        EXPECT_FALSE(window->Manager().MessageHandler(WM_CHAR, ch, 0, result)) << ch;
    EXPECT_EQ(edit->GetText(), L"abc");
    window->ClearEvents();
    EXPECT_FALSE(Translate(WM_KEYDOWN, VK_RETURN));  // the window's key filter sees it
    EXPECT_EQ(window->events, Events{L"key:13"});
}

TEST_F(WindowFixture, ClickingElsewhereTakesFocusFromTheEdit) {
    Click(100, 85);
    EXPECT_EQ(FocusName(), L"edit");
    Click(100, 150);
    EXPECT_EQ(FocusName(), L"<none>");
    Find(L"edit")->SetEnabled(false);
    Click(100, 85);
    EXPECT_EQ(FocusName(), L"<none>");
}

TEST_F(WindowFixture, ReadOnlyEditKeepsItsText) {
    auto* edit = static_cast<CEditUI*>(Find(L"edit"));
    edit->SetText(L"C:\\Program Files");
    edit->SetReadOnly(true);
    edit->SetFocus();
    window->ClearEvents();
    Type(L"x");
    Key(VK_BACK);
    EXPECT_EQ(edit->GetText(), L"C:\\Program Files");
    EXPECT_TRUE(window->events.empty());
}

TEST_F(WindowFixture, CursorIsWhatTheControlUnderThePointerAsks) {
    POINT pointer{};
    ASSERT_TRUE(::GetCursorPos(&pointer));
    // Moves the window so that its client point (x, y) lies under the pointer.
    auto setCursorOver = [&](int x, int y) {
        ::SetWindowPos(hwnd, nullptr, pointer.x - x, pointer.y - y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return ::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    EXPECT_EQ(setCursorOver(40, 55), TRUE);  // first: cursor="hand"
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(setCursorOver(100, 85), TRUE);  // the edit
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_IBEAM));
    setCursorOver(280, 55);  // notab: a button without a hand cursor
    EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_IBEAM));
}
