#include "user32/KeyCodes.h"

namespace wincompat {

namespace {

struct KeyName {
    guint keyval;
    UINT virtualKey;
};

constexpr KeyName kKeys[] = {
    {GDK_KEY_BackSpace, VK_BACK},     {GDK_KEY_Tab, VK_TAB},           {GDK_KEY_ISO_Left_Tab, VK_TAB},
    {GDK_KEY_Return, VK_RETURN},      {GDK_KEY_KP_Enter, VK_RETURN},   {GDK_KEY_Escape, VK_ESCAPE},
    {GDK_KEY_space, VK_SPACE},        {GDK_KEY_Delete, VK_DELETE},     {GDK_KEY_KP_Delete, VK_DELETE},
    {GDK_KEY_Insert, VK_INSERT},      {GDK_KEY_Home, VK_HOME},         {GDK_KEY_End, VK_END},
    {GDK_KEY_Page_Up, VK_PRIOR},      {GDK_KEY_Page_Down, VK_NEXT},    {GDK_KEY_Left, VK_LEFT},
    {GDK_KEY_Right, VK_RIGHT},        {GDK_KEY_Up, VK_UP},             {GDK_KEY_Down, VK_DOWN},
    {GDK_KEY_KP_Home, VK_HOME},       {GDK_KEY_KP_End, VK_END},        {GDK_KEY_KP_Left, VK_LEFT},
    {GDK_KEY_KP_Right, VK_RIGHT},     {GDK_KEY_KP_Up, VK_UP},          {GDK_KEY_KP_Down, VK_DOWN},
    {GDK_KEY_Shift_L, VK_LSHIFT},     {GDK_KEY_Shift_R, VK_RSHIFT},    {GDK_KEY_Control_L, VK_LCONTROL},
    {GDK_KEY_Control_R, VK_RCONTROL}, {GDK_KEY_Alt_L, VK_LMENU},       {GDK_KEY_Alt_R, VK_RMENU},
    {GDK_KEY_Meta_L, VK_LMENU},       {GDK_KEY_Super_L, VK_LWIN},      {GDK_KEY_Super_R, VK_RWIN},
    {GDK_KEY_Menu, VK_APPS},          {GDK_KEY_Caps_Lock, VK_CAPITAL}, {GDK_KEY_Pause, VK_PAUSE},
    {GDK_KEY_semicolon, 0xBA},        {GDK_KEY_equal, 0xBB},           {GDK_KEY_comma, 0xBC},
    {GDK_KEY_minus, 0xBD},            {GDK_KEY_period, 0xBE},          {GDK_KEY_slash, 0xBF},
    {GDK_KEY_grave, 0xC0},            {GDK_KEY_bracketleft, 0xDB},     {GDK_KEY_backslash, 0xDC},
    {GDK_KEY_bracketright, 0xDD},     {GDK_KEY_apostrophe, 0xDE},
};

// X key codes are evdev codes + 8; below 89 an evdev code is the PC scan code,
// above it the keys are extended ones with scan codes of their own.
struct ExtendedKey {
    guint16 evdev;
    UINT scanCode;
};
constexpr ExtendedKey kExtendedKeys[] = {
    {96, 0x1C},  {97, 0x1D},  {98, 0x35},  {100, 0x38}, {102, 0x47}, {103, 0x48}, {104, 0x49},
    {105, 0x4B}, {106, 0x4D}, {107, 0x4F}, {108, 0x50}, {109, 0x51}, {110, 0x52}, {111, 0x53},
};

guint UnmodifiedKeyval(const GdkEventKey& event) {
    guint keyval = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event.window));
    if (gdk_keymap_translate_keyboard_state(keymap, event.hardware_keycode, GdkModifierType(0), 0, &keyval,
                                            nullptr, nullptr, nullptr))
        return keyval;
    return event.keyval;
}

UINT VirtualKeyOfKeyval(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (keyval - GDK_KEY_a);
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + (keyval - GDK_KEY_A);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (keyval - GDK_KEY_0);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9) return VK_NUMPAD0 + (keyval - GDK_KEY_KP_0);
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return VK_F1 + (keyval - GDK_KEY_F1);
    for (const KeyName& key : kKeys)
        if (key.keyval == keyval) return key.virtualKey;
    return 0;
}

}  // namespace

UINT VirtualKeyOf(const GdkEventKey& event) {
    UINT virtualKey = VirtualKeyOfKeyval(UnmodifiedKeyval(event));
    if (!virtualKey) virtualKey = VirtualKeyOfKeyval(event.keyval);
    return virtualKey ? virtualKey : kVirtualKeyPacket;
}

LPARAM KeyMessageParameter(const GdkEventKey& event, bool wasDown, bool up, bool altDown) {
    guint16 evdev = event.hardware_keycode >= 8 ? event.hardware_keycode - 8 : 0;
    UINT scanCode = evdev < 89 ? evdev : 0;
    bool extended = false;
    for (const ExtendedKey& key : kExtendedKeys) {
        if (key.evdev != evdev) continue;
        scanCode = key.scanCode;
        extended = true;
    }
    DWORD bits = 1 | (scanCode & 0xFF) << 16;
    if (extended) bits |= 1u << 24;
    if (altDown) bits |= 1u << 29;
    if (wasDown || up) bits |= 1u << 30;
    if (up) bits |= 1u << 31;
    return static_cast<LPARAM>(bits);
}

}  // namespace wincompat
