// Windows without a display, kept unseen as tests ask for them
// (WINCOMPAT_HEADLESS): the fixture keeps GTK from finding a display, records
// what its windows receive and destroys what a test left open.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class HeadlessWindowTest : public ::testing::Test {
public:
    static std::vector<ReceivedMessage> received;
    static HCURSOR classCursor;

protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A window of the recording class (CS_DBLCLKS, arrow cursor).
    HWND Create(DWORD style, int x = 10, int y = 20, int width = 300, int height = 200, HWND parent = nullptr);

    // What arrived, in order, keeping only the messages named.
    static std::vector<UINT> Sequence(const std::set<UINT>& kinds, HWND window = nullptr);
    static std::vector<ReceivedMessage> Of(UINT kind, HWND window = nullptr);
    static void Forget();
    static void Pump();
};
