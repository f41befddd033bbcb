// A headless skinned window on a small skin held in an in-memory zip.
//
// Layout at 96 dpi, 320 x 200: a 40 px caption row with minbtn, maxbtn,
// closebtn at x 230, 260, 290 (restorebtn hidden); a 30 px row with
// "first" (x 0), the disabled "off" (80), the check box "check" (160) and
// "notab" (240), 80 px each; the edit "edit" at y 70..100; free space below.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "SkinFixture.h"
#include "TestWindow.h"

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void Click(int x, int y);
    void Press(int downX, int downY, int upX, int upY);
    LRESULT Key(WPARAM key);
    void Type(const std::wstring& text);
    // Offers a message to the paint managers as the message loop does; true when consumed.
    bool Translate(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    DuiLib::CControlUI* Find(const wchar_t* name);
    std::wstring FocusName();
    // Dispatches every message waiting in the queue.
    void Pump();

    std::unique_ptr<ScopedSkin> skin;
    std::unique_ptr<TestWindow> window;
    HWND hwnd = nullptr;
};

// The skin of the fixture's window.
const char* FixtureSkin();
