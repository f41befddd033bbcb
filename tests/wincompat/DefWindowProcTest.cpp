// What DefWindowProcW does with what a window procedure leaves to it, and
// the characters TranslateMessage makes of keys.
#include "wincompat/HeadlessWindows.h"

namespace {

using DefWindowProcTest = HeadlessWindowTest;

struct CommandCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    std::vector<UINT> sent;  // what the window then receives, of WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY
    bool destroyed, iconic, zoomed;
};

void PrintTo(const CommandCase& command, std::ostream* out) { *out << command.name; }

class SystemCommandTest : public HeadlessWindowTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(SystemCommandTest, LeadsWhereWindowsLeadsIt) {
    const CommandCase& command = GetParam();
    HWND window = Create(WS_POPUP | WS_VISIBLE);
    Forget();
    SendMessageW(window, command.message, command.wParam, command.message == WM_SYSKEYDOWN ? 1 << 29 : 0);
    EXPECT_EQ(Sequence({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}), command.sent);
    EXPECT_EQ(IsWindow(window) == FALSE, command.destroyed);
    EXPECT_EQ(IsIconic(window) != FALSE, command.iconic);
    EXPECT_EQ(IsZoomed(window) != FALSE, command.zoomed);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SystemCommandTest,
    ::testing::Values(
        CommandCase{"AltF4", WM_SYSKEYDOWN, VK_F4, {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}, true, false, false},
        CommandCase{"AltOtherKey", WM_SYSKEYDOWN, 'A', {}, false, false, false},
        CommandCase{"Close", WM_SYSCOMMAND, SC_CLOSE, {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}, true, false, false},
        CommandCase{"Minimize", WM_SYSCOMMAND, SC_MINIMIZE, {WM_SYSCOMMAND}, false, true, false},
        CommandCase{"Maximize", WM_SYSCOMMAND, SC_MAXIMIZE, {WM_SYSCOMMAND}, false, false, true},
        CommandCase{"CloseMessage", WM_CLOSE, 0, {WM_CLOSE, WM_DESTROY}, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DefWindowProcTest, RestoreUndoesMinimize) {
    HWND window = Create(WS_POPUP | WS_VISIBLE);
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(window));
}

TEST_F(DefWindowProcTest, TheWholeWindowIsClientAreaWithTheClassCursor) {
    HWND window = Create(WS_POPUP);
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(15, 25)), HTCLIENT);
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    WPARAM self = reinterpret_cast<WPARAM>(window);
    EXPECT_TRUE(SendMessageW(window, WM_SETCURSOR, self, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), classCursor);
    EXPECT_NE(LoadCursorW(nullptr, IDC_IBEAM), LoadCursorW(nullptr, IDC_HAND));
}

struct KeyCase {
    const char* name;
    WPARAM key;
    WPARAM character;  // 0: none
};

void PrintTo(const KeyCase& key, std::ostream* out) { *out << key.name; }

class TranslateMessageTest : public HeadlessWindowTest, public ::testing::WithParamInterface<KeyCase> {};

// Printable characters come from the input method; TranslateMessage makes
// the control ones, and puts them before anything queued after the key.
TEST_P(TranslateMessageTest, KeyDownBecomesItsCharacterNext) {
    const KeyCase& key = GetParam();
    HWND window = Create(WS_POPUP);
    PostMessageW(window, WM_USER + 1, 0, 0);
    MSG msg = {window, WM_KEYDOWN, key.key, 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&msg));
    Forget();
    Pump();
    std::vector<UINT> expected = {WM_USER + 1};
    if (key.character) expected.insert(expected.begin(), WM_CHAR);
    EXPECT_EQ(Sequence({WM_CHAR, WM_USER + 1}), expected);
    if (key.character) {
        EXPECT_EQ(Of(WM_CHAR)[0].wParam, key.character);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, TranslateMessageTest,
                         ::testing::Values(KeyCase{"Return", VK_RETURN, '\r'}, KeyCase{"Tab", VK_TAB, '\t'},
                                           KeyCase{"Escape", VK_ESCAPE, 0x1B}, KeyCase{"Back", VK_BACK, '\b'},
                                           KeyCase{"Letter", 'A', 0}, KeyCase{"Left", VK_LEFT, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DefWindowProcTest, TranslateMessageLeavesOtherMessagesAlone) {
    HWND window = Create(WS_POPUP);
    MSG keyUp = {window, WM_KEYUP, VK_RETURN, 0xC0000001, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&keyUp)) << "a key message, even without a character";
    MSG other = {window, WM_USER, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&other));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE));
}

}  // namespace
