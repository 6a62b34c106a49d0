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

// Operations on a key map: KeyMapTable itself or a working copy of it (`rows`, `count` rows).
// Walks that look a key up stop at the first row whose scan code is 0; the others cover all
// `count` rows. Rows of a copy are compared with the table row of the same index.

// First row with the scan code (its low 16 bits) before the first zero scan code, or null.
const KeyMapEntry* FindDefaultKey(uint32_t scanCode);
KeyMapEntry* FindKey(KeyMapEntry* rows, int count, uint32_t scanCode);

// Clears a reassignment equal to the key's default and a remap of a key to itself.
// 0 when there are no rows.
int NormaliseKeyMap(KeyMapEntry* rows, int count);

// Key assignments record: packed 4-byte records {u16 scan code, u16 virtual key}, little-endian,
// no header. Load applies the records to `rows` and takes ownership of `buffer` (freed with
// free() in every case); 1 when applied. Save gives a new buffer owned by the caller (free())
// with one record per reassigned key, or null when there are no rows or no memory.
int LoadKeyAssignments(KeyMapEntry* rows, int count, uint8_t* buffer, uint32_t byteCount);
uint8_t* SaveKeyAssignments(KeyMapEntry* rows, int count, uint32_t& byteCount);
