#include "KeyTable.h"

#include <stdlib.h>

// Rows 0-143 are keys; row 144 (scan code 0) ends every walk that stops at the first zero scan
// code, and its label is the "leave unchanged" entry of the key page; row 145 is all zero.
const KeyMapEntry KeyMapTable[kKeyMapRows] = {
    {0x0001, 0x001B, 175, 0}, // 0 VK_ESCAPE
    {0x0002, 0x0031, 193, 0}, // 1 '1'
    {0x0003, 0x0032, 194, 0}, // 2 '2'
    {0x0004, 0x0033, 195, 0}, // 3 '3'
    {0x0005, 0x0034, 196, 0}, // 4 '4'
    {0x0006, 0x0035, 197, 0}, // 5 '5'
    {0x0007, 0x0036, 198, 0}, // 6 '6'
    {0x0008, 0x0037, 199, 0}, // 7 '7'
    {0x0009, 0x0038, 200, 0}, // 8 '8'
    {0x000A, 0x0039, 201, 0}, // 9 '9'
    {0x000B, 0x0030, 192, 0}, // 10 '0'
    {0x000C, 0x00BD, 308, 0}, // 11 VK_OEM_MINUS
    {0x000D, 0x00BB, 306, 0}, // 12 VK_OEM_PLUS
    {0x000E, 0x0008, 166, 0}, // 13 VK_BACK
    {0x000F, 0x0009, 167, 0}, // 14 VK_TAB
    {0x0010, 0x0051, 218, 0}, // 15 'Q'
    {0x0011, 0x0057, 224, 0}, // 16 'W'
    {0x0012, 0x0045, 206, 0}, // 17 'E'
    {0x0013, 0x0052, 219, 0}, // 18 'R'
    {0x0014, 0x0054, 221, 0}, // 19 'T'
    {0x0015, 0x0059, 226, 0}, // 20 'Y'
    {0x0016, 0x0055, 222, 0}, // 21 'U'
    {0x0017, 0x0049, 210, 0}, // 22 'I'
    {0x0018, 0x004F, 216, 0}, // 23 'O'
    {0x0019, 0x0050, 217, 0}, // 24 'P'
    {0x001A, 0x00DB, 312, 0}, // 25 VK_OEM_4
    {0x001B, 0x00DD, 314, 0}, // 26 VK_OEM_6
    {0x001C, 0x000D, 169, 0}, // 27 VK_RETURN
    {0x001D, 0x00A2, 282, 0}, // 28 VK_LCONTROL
    {0x001E, 0x0041, 202, 0}, // 29 'A'
    {0x001F, 0x0053, 220, 0}, // 30 'S'
    {0x0020, 0x0044, 205, 0}, // 31 'D'
    {0x0021, 0x0046, 207, 0}, // 32 'F'
    {0x0022, 0x0047, 208, 0}, // 33 'G'
    {0x0023, 0x0048, 209, 0}, // 34 'H'
    {0x0024, 0x004A, 211, 0}, // 35 'J'
    {0x0025, 0x004B, 212, 0}, // 36 'K'
    {0x0026, 0x004C, 213, 0}, // 37 'L'
    {0x0027, 0x00BA, 305, 0}, // 38 VK_OEM_1
    {0x0028, 0x00DE, 315, 0}, // 39 VK_OEM_7
    {0x0029, 0x00C0, 311, 0}, // 40 VK_OEM_3
    {0x002A, 0x00A0, 280, 0}, // 41 VK_LSHIFT
    {0x002B, 0x00DC, 313, 0}, // 42 VK_OEM_5
    {0x002C, 0x005A, 227, 0}, // 43 'Z'
    {0x002D, 0x0058, 225, 0}, // 44 'X'
    {0x002E, 0x0043, 204, 0}, // 45 'C'
    {0x002F, 0x0056, 223, 0}, // 46 'V'
    {0x0030, 0x0042, 203, 0}, // 47 'B'
    {0x0031, 0x004E, 215, 0}, // 48 'N'
    {0x0032, 0x004D, 214, 0}, // 49 'M'
    {0x0033, 0x00BC, 307, 0}, // 50 VK_OEM_COMMA
    {0x0034, 0x00BE, 309, 0}, // 51 VK_OEM_PERIOD
    {0x0035, 0x00BF, 310, 0}, // 52 VK_OEM_2
    {0x0036, 0x01A1, 281, 0}, // 53 VK_RSHIFT + KBDEXT
    {0x0037, 0x006A, 243, 0}, // 54 VK_MULTIPLY
    {0x0038, 0x00A4, 284, 0}, // 55 VK_LMENU
    {0x0039, 0x0020, 176, 0}, // 56 VK_SPACE
    {0x003A, 0x0014, 174, 0}, // 57 VK_CAPITAL
    {0x003B, 0x0070, 249, 0}, // 58 VK_F1
    {0x003C, 0x0071, 250, 0}, // 59 VK_F2
    {0x003D, 0x0072, 251, 0}, // 60 VK_F3
    {0x003E, 0x0073, 252, 0}, // 61 VK_F4
    {0x003F, 0x0074, 253, 0}, // 62 VK_F5
    {0x0040, 0x0075, 254, 0}, // 63 VK_F6
    {0x0041, 0x0076, 255, 0}, // 64 VK_F7
    {0x0042, 0x0077, 256, 0}, // 65 VK_F8
    {0x0043, 0x0078, 257, 0}, // 66 VK_F9
    {0x0044, 0x0079, 258, 0}, // 67 VK_F10
    {0x0045, 0x0090, 278, 0}, // 68 VK_NUMLOCK
    {0x0046, 0x0091, 279, 0}, // 69 VK_SCROLL
    {0x0047, 0x0C24, 180, 0}, // 70 VK_HOME + KBDSPECIAL + KBDNUMPAD
    {0x0048, 0x0C26, 182, 0}, // 71 VK_UP + KBDSPECIAL + KBDNUMPAD
    {0x0049, 0x0C21, 177, 0}, // 72 VK_PRIOR + KBDSPECIAL + KBDNUMPAD
    {0x004A, 0x006D, 246, 0}, // 73 VK_SUBTRACT
    {0x004B, 0x0C25, 181, 0}, // 74 VK_LEFT + KBDSPECIAL + KBDNUMPAD
    {0x004C, 0x0C0C, 168, 0}, // 75 VK_CLEAR + KBDSPECIAL + KBDNUMPAD
    {0x004D, 0x0C27, 183, 0}, // 76 VK_RIGHT + KBDSPECIAL + KBDNUMPAD
    {0x004E, 0x006B, 244, 0}, // 77 VK_ADD
    {0x004F, 0x0C23, 179, 0}, // 78 VK_END + KBDSPECIAL + KBDNUMPAD
    {0x0050, 0x0C28, 184, 0}, // 79 VK_DOWN + KBDSPECIAL + KBDNUMPAD
    {0x0051, 0x0C22, 178, 0}, // 80 VK_NEXT + KBDSPECIAL + KBDNUMPAD
    {0x0052, 0x0C2D, 189, 0}, // 81 VK_INSERT + KBDSPECIAL + KBDNUMPAD
    {0x0053, 0x0C2E, 190, 0}, // 82 VK_DELETE + KBDSPECIAL + KBDNUMPAD
    {0x0056, 0x00E2, 317, 0}, // 83 VK_OEM_102
    {0x0057, 0x007A, 259, 0}, // 84 VK_F11
    {0x0058, 0x007B, 260, 0}, // 85 VK_F12
    {0x0059, 0x000C, 168, 0}, // 86 VK_CLEAR
    {0x0063, 0x002F, 191, 0}, // 87 VK_HELP
    {0x0064, 0x007C, 261, 0}, // 88 VK_F13
    {0x0065, 0x007D, 262, 0}, // 89 VK_F14
    {0x0066, 0x007E, 263, 0}, // 90 VK_F15
    {0x0067, 0x007F, 264, 0}, // 91 VK_F16
    {0x0068, 0x0080, 265, 0}, // 92 VK_F17
    {0x0069, 0x0081, 266, 0}, // 93 VK_F18
    {0x006A, 0x0082, 267, 0}, // 94 VK_F19
    {0x006B, 0x0083, 268, 0}, // 95 VK_F20
    {0x006C, 0x0084, 269, 0}, // 96 VK_F21
    {0x006D, 0x0085, 270, 0}, // 97 VK_F22
    {0x006E, 0x0086, 271, 0}, // 98 VK_F23
    {0x0073, 0x00C1, 273, 0}, // 99 0xC1
    {0x0076, 0x0087, 272, 0}, // 100 VK_F24
    {0x007B, 0x00EB, 275, 0}, // 101 VK_OEM_PA1
    {0x007E, 0x00C2, 274, 0}, // 102 0xC2
    {0x00FF, 0x00FF, 326, 0}, // 103 (no key)
    {0xE010, 0x01B1, 298, 0}, // 104 VK_MEDIA_PREV_TRACK + KBDEXT
    {0xE019, 0x01B0, 297, 0}, // 105 VK_MEDIA_NEXT_TRACK + KBDEXT
    {0xE01C, 0x010D, 286, 0}, // 106 VK_RETURN + KBDEXT
    {0xE01D, 0x01A3, 283, 0}, // 107 VK_RCONTROL + KBDEXT
    {0xE020, 0x01AD, 294, 0}, // 108 VK_VOLUME_MUTE + KBDEXT
    {0xE021, 0x01B7, 304, 0}, // 109 VK_LAUNCH_APP2 + KBDEXT
    {0xE022, 0x01B3, 300, 0}, // 110 VK_MEDIA_PLAY_PAUSE + KBDEXT
    {0xE024, 0x01B2, 299, 0}, // 111 VK_MEDIA_STOP + KBDEXT
    {0xE02E, 0x01AE, 295, 0}, // 112 VK_VOLUME_DOWN + KBDEXT
    {0xE030, 0x01AF, 296, 0}, // 113 VK_VOLUME_UP + KBDEXT
    {0xE032, 0x01AC, 293, 0}, // 114 VK_BROWSER_HOME + KBDEXT
    {0xE035, 0x016F, 248, 0}, // 115 VK_DIVIDE + KBDEXT
    {0xE037, 0x002C, 188, 0}, // 116 VK_SNAPSHOT
    {0xE038, 0x01A5, 285, 0}, // 117 VK_RMENU + KBDEXT
    {0xE046, 0x0103, 162, 0}, // 118 VK_CANCEL + KBDEXT
    {0xE047, 0x0124, 180, 0}, // 119 VK_HOME + KBDEXT
    {0xE048, 0x0126, 182, 0}, // 120 VK_UP + KBDEXT
    {0xE049, 0x0121, 177, 0}, // 121 VK_PRIOR + KBDEXT
    {0xE04B, 0x0125, 181, 0}, // 122 VK_LEFT + KBDEXT
    {0xE04D, 0x0127, 183, 0}, // 123 VK_RIGHT + KBDEXT
    {0xE04F, 0x0123, 179, 0}, // 124 VK_END + KBDEXT
    {0xE050, 0x0128, 184, 0}, // 125 VK_DOWN + KBDEXT
    {0xE051, 0x0122, 178, 0}, // 126 VK_NEXT + KBDEXT
    {0xE052, 0x012D, 189, 0}, // 127 VK_INSERT + KBDEXT
    {0xE053, 0x012E, 190, 0}, // 128 VK_DELETE + KBDEXT
    {0xE05B, 0x015B, 228, 0}, // 129 VK_LWIN + KBDEXT
    {0xE05C, 0x015C, 229, 0}, // 130 VK_RWIN + KBDEXT
    {0xE05D, 0x015D, 230, 0}, // 131 VK_APPS + KBDEXT
    {0xE05E, 0x015E, 231, 0}, // 132 0x5E + KBDEXT
    {0xE05F, 0x015F, 232, 0}, // 133 VK_SLEEP + KBDEXT
    {0xE065, 0x01AA, 291, 0}, // 134 VK_BROWSER_SEARCH + KBDEXT
    {0xE066, 0x01AB, 292, 0}, // 135 VK_BROWSER_FAVORITES + KBDEXT
    {0xE067, 0x01A8, 289, 0}, // 136 VK_BROWSER_REFRESH + KBDEXT
    {0xE068, 0x01A9, 290, 0}, // 137 VK_BROWSER_STOP + KBDEXT
    {0xE069, 0x01A7, 288, 0}, // 138 VK_BROWSER_FORWARD + KBDEXT
    {0xE06A, 0x01A6, 287, 0}, // 139 VK_BROWSER_BACK + KBDEXT
    {0xE06B, 0x01B6, 303, 0}, // 140 VK_LAUNCH_APP1 + KBDEXT
    {0xE06C, 0x01B4, 301, 0}, // 141 VK_LAUNCH_MAIL + KBDEXT
    {0xE06D, 0x01B5, 302, 0}, // 142 VK_LAUNCH_MEDIA_SELECT + KBDEXT
    {0xE11D, 0x0013, 173, 0}, // 143 VK_PAUSE
    {0x0000, 0x0000, 154, 0}, // 144 (none)
    {0x0000, 0x0000, 0, 0}, // 145 (none)
};

namespace {

const KeyMapEntry* FindRow(const KeyMapEntry* rows, int count, uint32_t scanCode)
{
    if (!rows)
        return nullptr;
    uint16_t code = (uint16_t)(scanCode & 0xFFFF);
    for (int i = 0; i < count && rows[i].scanCode != 0; ++i) {
        if (rows[i].scanCode == code)
            return &rows[i];
    }
    return nullptr;
}

} // namespace

const KeyMapEntry* FindDefaultKey(uint32_t scanCode)
{
    return FindRow(KeyMapTable, kKeyMapRows, scanCode);
}

KeyMapEntry* FindKey(KeyMapEntry* rows, int count, uint32_t scanCode)
{
    return const_cast<KeyMapEntry*>(FindRow(rows, count, scanCode));
}

int NormaliseKeyMap(KeyMapEntry* rows, int count)
{
    if (!rows || count <= 0)
        return 0;
    // A copy never has more rows than the table; rows beyond it have nothing to compare with.
    int n = count < kKeyMapRows ? count : kKeyMapRows;
    for (int i = 0; i < n; ++i) {
        if (rows[i].scanRemap == KeyMapTable[i].scanCode)
            rows[i].scanRemap = 0;
        if (rows[i].virtualKey == KeyMapTable[i].virtualKey)
            rows[i].virtualKey = 0;
    }
    return 1;
}

int LoadKeyAssignments(KeyMapEntry* rows, int count, uint8_t* buffer, uint32_t byteCount)
{
    if (!buffer)
        return 0;
    if (byteCount == 0 || !rows || count <= 0) {
        free(buffer);
        return 0;
    }
    uint32_t records = byteCount / 4;
    for (uint32_t r = 0; r < records; ++r) {
        const uint8_t* p = buffer + (size_t)r * 4;
        uint16_t scanCode = (uint16_t)(p[0] | p[1] << 8);
        uint16_t virtualKey = (uint16_t)(p[2] | p[3] << 8);
        // Scan code 0 names no key: the rows that carry it only end the walks.
        if (scanCode == 0 || virtualKey == 0)
            continue;
        for (int i = 0; i < count; ++i) {
            if (rows[i].scanCode == scanCode) {
                rows[i].virtualKey = virtualKey;
                break;
            }
        }
    }
    NormaliseKeyMap(rows, count);
    free(buffer);
    return 1;
}

uint8_t* SaveKeyAssignments(KeyMapEntry* rows, int count, uint32_t& byteCount)
{
    byteCount = 0;
    if (!rows || count <= 0)
        return nullptr;
    NormaliseKeyMap(rows, count);
    int records = 0;
    for (int i = 0; i < count && rows[i].scanCode != 0; ++i) {
        if (rows[i].virtualKey != 0)
            ++records;
    }
    // A map without reassignments still gives a block (of no bytes the caller may read), so
    // that "nothing reassigned" and "no memory" stay apart.
    uint8_t* buffer = (uint8_t*)malloc(records > 0 ? (size_t)records * 4 : 1);
    if (!buffer)
        return nullptr;
    uint8_t* p = buffer;
    for (int i = 0; i < count && rows[i].scanCode != 0; ++i) {
        if (rows[i].virtualKey == 0)
            continue;
        p[0] = (uint8_t)(rows[i].scanCode & 0xFF);
        p[1] = (uint8_t)(rows[i].scanCode >> 8);
        p[2] = (uint8_t)(rows[i].virtualKey & 0xFF);
        p[3] = (uint8_t)(rows[i].virtualKey >> 8);
        p += 4;
    }
    byteCount = (uint32_t)records * 4;
    return buffer;
}
