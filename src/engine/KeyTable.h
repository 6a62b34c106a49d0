// The installer's model of the keyboard: one row per physical key with its scan code, the
// virtual key the layout library gives it by default and the StringId of its display name.
#pragma once

#include <stdint.h>

struct KeyMapEntry
{
    uint16_t scanCode;     // make code; 0xE0nn / 0xE1nn for prefixed keys; 0x00FF = no key; 0 ends
    uint16_t virtualKey;   // default VK (table) or the user's reassignment (copy; 0 = unchanged)
    uint16_t labelId;      // StringId of the key's name
    uint16_t scanRemap;    // copy only: scan code the key sends instead; 0x00FF = switched off
};

static_assert(sizeof(KeyMapEntry) == 8, "a key row is four 16-bit fields");

const int kKeyMapRows = 146;
extern const KeyMapEntry KeyMapTable[kKeyMapRows];
