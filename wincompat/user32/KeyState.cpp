#include "user32/KeyState.h"

#include <atomic>

namespace wincompat {

namespace {

constexpr BYTE kDown = 0x80;
constexpr BYTE kToggled = 0x01;

std::atomic<BYTE> keys[256];

struct Pair {
    UINT combined, left, right;
};
constexpr Pair kPairs[] = {
    {VK_SHIFT, VK_LSHIFT, VK_RSHIFT},
    {VK_CONTROL, VK_LCONTROL, VK_RCONTROL},
    {VK_MENU, VK_LMENU, VK_RMENU},
};

void Set(UINT key, BYTE bit, bool on) {
    if (on) keys[key & 0xFF] |= bit;
    else keys[key & 0xFF] &= static_cast<BYTE>(~bit);
}

}  // namespace

void SetKeyDown(UINT virtualKey, bool down) {
    Set(virtualKey, kDown, down);
    for (const Pair& pair : kPairs) {
        if (virtualKey == pair.combined) {
            // A modifier state without a side: both sides follow it.
            if (!down) Set(pair.left, kDown, false), Set(pair.right, kDown, false);
        } else if (virtualKey == pair.left || virtualKey == pair.right) {
            Set(pair.combined, kDown, IsKeyDown(pair.left) || IsKeyDown(pair.right));
        }
    }
}

bool IsKeyDown(UINT virtualKey) { return (keys[virtualKey & 0xFF] & kDown) != 0; }

void SetKeyToggled(UINT virtualKey, bool toggled) { Set(virtualKey, kToggled, toggled); }

void ReleaseAllKeys() {
    for (auto& key : keys) key &= kToggled;
}

}  // namespace wincompat

using namespace wincompat;

extern "C" SHORT WINAPI GetKeyState(int virtualKey) {
    BYTE state = keys[virtualKey & 0xFF];
    return static_cast<SHORT>(((state & kDown) ? 0x8000 : 0) | (state & kToggled));
}

extern "C" SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    return static_cast<SHORT>(IsKeyDown(static_cast<UINT>(virtualKey)) ? 0x8000 : 0);
}
