/*
 * The parts of the layout that every variant shares: modifiers, the keypad and control-key
 * rows, key names, the three scan-code tables and the descriptor the system asks for.
 *
 * LAYOUT_SET 0 builds the standard library set, 1 the alternate set, in which Shift releases
 * Caps Lock as on a typewriter. Nothing else differs between the sets.
 *
 * The virtual keys of the scan-code tables are the installer's key-table defaults, row for
 * row; the installer finds these tables by byte patterns taken from the built library, and
 * the native tests check both.
 */
#include "KbdTables.h"

#ifndef LAYOUT_SET
#error "LAYOUT_SET (0 standard, 1 alternate) must be defined"
#endif

static const VK_TO_BIT ModifierKeys[] = {
    {VK_SHIFT, KBDSHIFT},
    {VK_CONTROL, KBDCTRL},
    {VK_MENU, KBDALT},
    {0, 0},
};

/* Columns: 0 plain, 1 Shift, 2 Ctrl, 3 AltGr (Ctrl+Alt), 4 Shift+AltGr. Alt alone, Alt+Shift
   and Ctrl+Shift type nothing. */
static const MODIFIERS Modifiers = {
    ModifierKeys,
    7,
    {0, 1, 2, SHFT_INVALID, SHFT_INVALID, SHFT_INVALID, 3, 4},
};

/* Keys whose characters are control codes: plain, Shift, Ctrl. */
static const VK_TO_WCHARS3 ControlRows[] = {
    {VK_TAB, 0, {L'\t', L'\t', WCH_NONE}},
    {VK_BACK, 0, {0x08, 0x08, 0x7F}},
    {VK_ESCAPE, 0, {0x1B, 0x1B, 0x1B}},
    {VK_RETURN, 0, {L'\r', L'\r', L'\n'}},
    {VK_CANCEL, 0, {0x03, 0x03, 0x03}},
    {0, 0, {0, 0, 0}},
};

/* The keypad's operators and its decimal key: plain and Shift. The decimal key leads the
   table; the installer rewrites its two characters to a comma for locales that write decimals
   with one. */
static const VK_TO_WCHARS2 KeypadRows[] = {
    {VK_DECIMAL, 0, {L'.', L'.'}},
    {VK_DIVIDE, 0, {L'/', L'/'}},
    {VK_MULTIPLY, 0, {L'*', L'*'}},
    {VK_SUBTRACT, 0, {L'-', L'-'}},
    {VK_ADD, 0, {L'+', L'+'}},
    {0, 0, {0, 0}},
};

static const VK_TO_WCHARS1 KeypadDigitRows[] = {
    {VK_NUMPAD0 + 0, 0, {L'0'}},
    {VK_NUMPAD0 + 1, 0, {L'1'}},
    {VK_NUMPAD0 + 2, 0, {L'2'}},
    {VK_NUMPAD0 + 3, 0, {L'3'}},
    {VK_NUMPAD0 + 4, 0, {L'4'}},
    {VK_NUMPAD0 + 5, 0, {L'5'}},
    {VK_NUMPAD0 + 6, 0, {L'6'}},
    {VK_NUMPAD0 + 7, 0, {L'7'}},
    {VK_NUMPAD0 + 8, 0, {L'8'}},
    {VK_NUMPAD0 + 9, 0, {L'9'}},
    {0, 0, {0}},
};

/* Searched in this order; the first table that holds a virtual key decides its characters. */
static const VK_TO_WCHAR_TABLE CharacterTables[] = {
    {VariantRows, 5, sizeof(VK_TO_WCHARS5)},
    {ControlRows, 3, sizeof(VK_TO_WCHARS3)},
    {KeypadRows, 2, sizeof(VK_TO_WCHARS2)},
    {KeypadDigitRows, 1, sizeof(VK_TO_WCHARS1)},
    {0, 0, 0},
};

/* Names of keys that type no character (the system names the others by their character). */
static const VSC_LPWSTR KeyNames[] = {
    {0x01, L"Esc"},
    {0x0E, L"Backspace"},
    {0x0F, L"Tab"},
    {0x1C, L"Enter"},
    {0x1D, L"Ctrl"},
    {0x2A, L"Shift"},
    {0x36, L"Right Shift"},
    {0x37, L"Keypad *"},
    {0x38, L"Alt"},
    {0x39, L"Space"},
    {0x3A, L"Caps Lock"},
    {0x3B, L"F1"},
    {0x3C, L"F2"},
    {0x3D, L"F3"},
    {0x3E, L"F4"},
    {0x3F, L"F5"},
    {0x40, L"F6"},
    {0x41, L"F7"},
    {0x42, L"F8"},
    {0x43, L"F9"},
    {0x44, L"F10"},
    {0x45, L"Num Lock"},
    {0x46, L"Scroll Lock"},
    {0x47, L"Keypad 7"},
    {0x48, L"Keypad 8"},
    {0x49, L"Keypad 9"},
    {0x4A, L"Keypad -"},
    {0x4B, L"Keypad 4"},
    {0x4C, L"Keypad 5"},
    {0x4D, L"Keypad 6"},
    {0x4E, L"Keypad +"},
    {0x4F, L"Keypad 1"},
    {0x50, L"Keypad 2"},
    {0x51, L"Keypad 3"},
    {0x52, L"Keypad 0"},
    {0x53, L"Keypad ."},
    {0x54, L"System Request"},
    {0x57, L"F11"},
    {0x58, L"F12"},
    {0x64, L"F13"},
    {0x65, L"F14"},
    {0x66, L"F15"},
    {0x67, L"F16"},
    {0x68, L"F17"},
    {0x69, L"F18"},
    {0x6A, L"F19"},
    {0x6B, L"F20"},
    {0x6C, L"F21"},
    {0x6D, L"F22"},
    {0x6E, L"F23"},
    {0x76, L"F24"},
    {0, 0},
};

static const VSC_LPWSTR ExtendedKeyNames[] = {
    {0x1C, L"Keypad Enter"},
    {0x1D, L"Right Ctrl"},
    {0x35, L"Keypad /"},
    {0x37, L"Print Screen"},
    {0x38, L"Right Alt"},
    {0x46, L"Break"},
    {0x47, L"Home"},
    {0x48, L"Up Arrow"},
    {0x49, L"Page Up"},
    {0x4B, L"Left Arrow"},
    {0x4D, L"Right Arrow"},
    {0x4F, L"End"},
    {0x50, L"Down Arrow"},
    {0x51, L"Page Down"},
    {0x52, L"Insert"},
    {0x53, L"Delete"},
    {0x5B, L"Left Windows"},
    {0x5C, L"Right Windows"},
    {0x5D, L"Menu"},
    {0, 0},
};

/* Scan codes sent with the 0xE1 prefix: Pause. */
static const VSC_VK ScanToVkE1[] KBD_SECTION_E1 = {
    {0x1D, VK_PAUSE},
    {0, 0},
};

/* Scan codes sent with the 0xE0 prefix, in scan-code order. */
static const VSC_VK ScanToVkE0[] KBD_SECTION_E0 = {
    {0x10, KBDEXT | VK_MEDIA_PREV_TRACK},
    {0x19, KBDEXT | VK_MEDIA_NEXT_TRACK},
    {0x1C, KBDEXT | VK_RETURN},
    {0x1D, KBDEXT | VK_RCONTROL},
    {0x20, KBDEXT | VK_VOLUME_MUTE},
    {0x21, KBDEXT | VK_LAUNCH_APP2},
    {0x22, KBDEXT | VK_MEDIA_PLAY_PAUSE},
    {0x24, KBDEXT | VK_MEDIA_STOP},
    {0x2E, KBDEXT | VK_VOLUME_DOWN},
    {0x30, KBDEXT | VK_VOLUME_UP},
    {0x32, KBDEXT | VK_BROWSER_HOME},
    {0x35, KBDEXT | VK_DIVIDE},
    {0x37, VK_SNAPSHOT},
    {0x38, KBDEXT | VK_RMENU},
    {0x46, KBDEXT | VK_CANCEL},
    {0x47, KBDEXT | VK_HOME},
    {0x48, KBDEXT | VK_UP},
    {0x49, KBDEXT | VK_PRIOR},
    {0x4B, KBDEXT | VK_LEFT},
    {0x4D, KBDEXT | VK_RIGHT},
    {0x4F, KBDEXT | VK_END},
    {0x50, KBDEXT | VK_DOWN},
    {0x51, KBDEXT | VK_NEXT},
    {0x52, KBDEXT | VK_INSERT},
    {0x53, KBDEXT | VK_DELETE},
    {0x5B, KBDEXT | VK_LWIN},
    {0x5C, KBDEXT | VK_RWIN},
    {0x5D, KBDEXT | VK_APPS},
    {0x5E, KBDEXT | 0x5E},
    {0x5F, KBDEXT | VK_SLEEP},
    {0x65, KBDEXT | VK_BROWSER_SEARCH},
    {0x66, KBDEXT | VK_BROWSER_FAVORITES},
    {0x67, KBDEXT | VK_BROWSER_REFRESH},
    {0x68, KBDEXT | VK_BROWSER_STOP},
    {0x69, KBDEXT | VK_BROWSER_FORWARD},
    {0x6A, KBDEXT | VK_BROWSER_BACK},
    {0x6B, KBDEXT | VK_LAUNCH_APP1},
    {0x6C, KBDEXT | VK_LAUNCH_MAIL},
    {0x6D, KBDEXT | VK_LAUNCH_MEDIA_SELECT},
    {0, 0},
};

#define NUMPAD_KEY(vk) (KBDSPECIAL | KBDNUMPAD | (vk))

/* Scan codes without a prefix, 0x00 to 0x7F. 0x54 is what Alt+Print Screen sends. */
static const KWORD ScanToVk[128] KBD_SECTION_SCAN = {
    /* 0x00 */ VK_NONE, VK_ESCAPE, '1', '2', '3', '4', '5', '6',
    /* 0x08 */ '7', '8', '9', '0', VK_OEM_MINUS, VK_OEM_PLUS, VK_BACK, VK_TAB,
    /* 0x10 */ 'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I',
    /* 0x18 */ 'O', 'P', VK_OEM_4, VK_OEM_6, VK_RETURN, VK_LCONTROL, 'A', 'S',
    /* 0x20 */ 'D', 'F', 'G', 'H', 'J', 'K', 'L', VK_OEM_1,
    /* 0x28 */ VK_OEM_7, VK_OEM_3, VK_LSHIFT, VK_OEM_5, 'Z', 'X', 'C', 'V',
    /* 0x30 */ 'B', 'N', 'M', VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2, KBDEXT | VK_RSHIFT, VK_MULTIPLY,
    /* 0x38 */ VK_LMENU, VK_SPACE, VK_CAPITAL, VK_F1, VK_F1 + 1, VK_F1 + 2, VK_F1 + 3, VK_F1 + 4,
    /* 0x40 */ VK_F1 + 5, VK_F1 + 6, VK_F1 + 7, VK_F1 + 8, VK_F1 + 9, VK_NUMLOCK, VK_SCROLL,
               NUMPAD_KEY(VK_HOME),
    /* 0x48 */ NUMPAD_KEY(VK_UP), NUMPAD_KEY(VK_PRIOR), VK_SUBTRACT, NUMPAD_KEY(VK_LEFT),
               NUMPAD_KEY(VK_CLEAR), NUMPAD_KEY(VK_RIGHT), VK_ADD, NUMPAD_KEY(VK_END),
    /* 0x50 */ NUMPAD_KEY(VK_DOWN), NUMPAD_KEY(VK_NEXT), NUMPAD_KEY(VK_INSERT),
               NUMPAD_KEY(VK_DELETE), VK_SNAPSHOT, VK_NONE, VK_OEM_102, VK_F1 + 10,
    /* 0x58 */ VK_F1 + 11, VK_CLEAR, VK_NONE, VK_NONE, VK_NONE, VK_NONE, VK_NONE, VK_NONE,
    /* 0x60 */ VK_NONE, VK_NONE, VK_NONE, VK_HELP, VK_F13, VK_F13 + 1, VK_F13 + 2, VK_F13 + 3,
    /* 0x68 */ VK_F13 + 4, VK_F13 + 5, VK_F13 + 6, VK_F13 + 7, VK_F13 + 8, VK_F13 + 9,
               VK_F13 + 10, VK_NONE,
    /* 0x70 */ VK_NONE, VK_NONE, VK_NONE, VK_ABNT_C1, VK_NONE, VK_NONE, VK_F24, VK_NONE,
    /* 0x78 */ VK_NONE, VK_NONE, VK_NONE, VK_OEM_PA1, VK_NONE, VK_NONE, VK_ABNT_C2, VK_NONE,
};

#if LAYOUT_SET
#define LAYOUT_FLAGS (KLLF_ALTGR | KLLF_SHIFTLOCK)
#else
#define LAYOUT_FLAGS KLLF_ALTGR
#endif

static const KBDTABLES Tables = {
    &Modifiers,
    CharacterTables,
    VariantDeadKeys,
    KeyNames,
    ExtendedKeyNames,
    VariantDeadKeyNames,
    ScanToVk,
    (KBYTE)(sizeof(ScanToVk) / sizeof(ScanToVk[0])),
    ScanToVkE0,
    ScanToVkE1,
    LAYOUT_FLAGS | ((KDWORD)KBD_VERSION << 16),
    0,
    0,
    0,
    4,   /* keyboard type: the 101/102-key enhanced keyboard */
    0,
};

/* The library's one export. It only hands out the address of the tables: the system may
   read them without running anything else of the library. */
const KBDTABLES* KbdLayerDescriptor(void)
{
    return &Tables;
}
