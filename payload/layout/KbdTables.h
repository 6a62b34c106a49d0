/*
 * The tables of a keyboard-layout library as the system reads them, declared from the
 * documented structure. Every pointer member is a native pointer of the build: 4 bytes in the
 * x86 builds, 8 in the x64 builds (docs/layout.md says why the x86 builds do not lay out the
 * 8-byte slots that a SysWOW64 reader expects).
 *
 * The library is built with -nostdlib and includes no system header: the few virtual-key
 * codes it uses are named here.
 */
#ifndef KBD_TABLES_H
#define KBD_TABLES_H

typedef unsigned char KBYTE;
typedef unsigned short KWORD;
typedef unsigned int KDWORD;
typedef unsigned short KWCHAR;   /* one UTF-16 unit; wchar_t is 16 bits under MinGW too */

/* Modifier bits and the virtual keys that set them. */
#define KBDSHIFT 0x01
#define KBDCTRL 0x02
#define KBDALT 0x04
#define SHFT_INVALID 0x0F   /* a modifier combination that produces no character */

typedef struct
{
    KBYTE Vk;
    KBYTE ModBits;
} VK_TO_BIT;

/* ModNumber maps every combination of modifier bits 0..wMaxModBits to a character column. */
typedef struct
{
    const VK_TO_BIT* pVkToBit;
    KWORD wMaxModBits;
    KBYTE ModNumber[8];
} MODIFIERS;

/* Character rows: virtual key, attributes, one character per column. */
#define CAPLOK 0x01
#define SGCAPS 0x02
#define CAPLOKALTGR 0x04

#define WCH_NONE 0xF000
#define WCH_DEAD 0xF001
#define WCH_LGTR 0xF002

typedef struct { KBYTE VirtualKey; KBYTE Attributes; KWCHAR wch[1]; } VK_TO_WCHARS1;
typedef struct { KBYTE VirtualKey; KBYTE Attributes; KWCHAR wch[2]; } VK_TO_WCHARS2;
typedef struct { KBYTE VirtualKey; KBYTE Attributes; KWCHAR wch[3]; } VK_TO_WCHARS3;
typedef struct { KBYTE VirtualKey; KBYTE Attributes; KWCHAR wch[5]; } VK_TO_WCHARS5;

/* One table of rows of equal width; the list of them ends with a null entry. */
typedef struct
{
    const void* pVkToWchars;
    KBYTE nModifications;
    KBYTE cbSize;
} VK_TO_WCHAR_TABLE;

/* A dead-key composition: the low word of dwBoth is the following character, the high word
   the dead key's own character. */
typedef struct
{
    KDWORD dwBoth;
    KWCHAR wchComposed;
    KWORD uFlags;
} DEADKEY;

#define DEADTRANS(next, accent, composed) { (KDWORD)(next) | ((KDWORD)(accent) << 16), (composed), 0 }

typedef struct
{
    KBYTE vsc;
    const KWCHAR* pwsz;
} VSC_LPWSTR;

typedef struct
{
    KBYTE Vsc;
    KWORD Vk;
} VSC_VK;

/* Flags of the scan-code tables' virtual keys. */
#define KBDEXT 0x0100
#define KBDMULTIVK 0x0200
#define KBDSPECIAL 0x0400
#define KBDNUMPAD 0x0800

/* Locale flags: the low word holds the flags, the high word the table version. */
#define KLLF_ALTGR 0x0001
#define KLLF_SHIFTLOCK 0x0002
#define KLLF_LRM_RLM 0x0004
#define KBD_VERSION 1

typedef struct
{
    const MODIFIERS* pCharModifiers;
    const VK_TO_WCHAR_TABLE* pVkToWcharTable;
    const DEADKEY* pDeadKey;
    const VSC_LPWSTR* pKeyNames;
    const VSC_LPWSTR* pKeyNamesExt;
    const KWCHAR* const* pKeyNamesDead;
    const KWORD* pusVSCtoVK;
    KBYTE bMaxVSCtoVK;
    const VSC_VK* pVSCtoVK_E0;
    const VSC_VK* pVSCtoVK_E1;
    KDWORD fLocaleFlags;
    KBYTE nLgMax;
    KBYTE cbLgEntry;
    const void* pLigature;
    KDWORD dwType;
    KDWORD dwSubType;
} KBDTABLES;

/* Documented sizes of the structure, so that a change of a member's type shows at once. */
typedef char KbdTablesSizeCheck[sizeof(KBDTABLES) == (sizeof(void*) == 8 ? 104 : 60) ? 1 : -1];
typedef char VscVkSizeCheck[sizeof(VSC_VK) == 4 ? 1 : -1];
typedef char DeadKeySizeCheck[sizeof(DEADKEY) == 8 ? 1 : -1];
typedef char Row5SizeCheck[sizeof(VK_TO_WCHARS5) == 12 ? 1 : -1];

/* Virtual-key codes of the Win32 documentation that the tables name. */
#define VK_CANCEL 0x03
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_SLEEP 0x5F
#define VK_NUMPAD0 0x60
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F13 0x7C
#define VK_F24 0x87
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_BROWSER_BACK 0xA6
#define VK_BROWSER_FORWARD 0xA7
#define VK_BROWSER_REFRESH 0xA8
#define VK_BROWSER_STOP 0xA9
#define VK_BROWSER_SEARCH 0xAA
#define VK_BROWSER_FAVORITES 0xAB
#define VK_BROWSER_HOME 0xAC
#define VK_VOLUME_MUTE 0xAD
#define VK_VOLUME_DOWN 0xAE
#define VK_VOLUME_UP 0xAF
#define VK_MEDIA_NEXT_TRACK 0xB0
#define VK_MEDIA_PREV_TRACK 0xB1
#define VK_MEDIA_STOP 0xB2
#define VK_MEDIA_PLAY_PAUSE 0xB3
#define VK_LAUNCH_MAIL 0xB4
#define VK_LAUNCH_MEDIA_SELECT 0xB5
#define VK_LAUNCH_APP1 0xB6
#define VK_LAUNCH_APP2 0xB7
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_ABNT_C1 0xC1
#define VK_ABNT_C2 0xC2
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE
#define VK_OEM_102 0xE2
#define VK_OEM_PA1 0xEB
#define VK_NONE 0xFF   /* a scan code that gives no virtual key */

/* Tables the installer edits are placed after every other table of the image, in this order
   (the linker sorts these sections by name): a table patched earlier never lies in front of a
   table that is searched for later. */
#define KBD_SECTION_E1 __attribute__((section(".rdata$k1")))
#define KBD_SECTION_E0 __attribute__((section(".rdata$k2")))
#define KBD_SECTION_SCAN __attribute__((section(".rdata$k3")))

/* What a variant contributes: its rows of the typing keys, its dead-key compositions and the
   names of its dead keys. A variant without dead keys gives lists that hold only their end
   marker, which the system never consults since no key of the variant is dead. */
extern const VK_TO_WCHARS5 VariantRows[];
extern const DEADKEY VariantDeadKeys[];
extern const KWCHAR* const VariantDeadKeyNames[];

#endif
