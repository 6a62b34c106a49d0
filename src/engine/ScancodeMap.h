// The system's scan-code map value and the key map's scan-code remaps. All fields little-endian:
//
//   0   u32  version, 0
//   4   u32  flags, 0
//   8   u32  entry count n, the terminating entry included
//   12  u32  n - 1 mappings: low u16 the scan code the key sends (0: nothing), high u16 the
//            physical key's scan code; prefixed keys as 0xE0nn
//   ..  u32  0, the terminating entry                              total 12 + 4n bytes
//
// In a key map a remap is the row's scanRemap, 0x00FF standing for "sends nothing". Mappings
// of keys that have no row belong to whoever made them: they are kept aside as read (raw u32
// entries) and written back unchanged after the rows' own.
#pragma once

#include <stdint.h>

#include "KeyTable.h"

// Applies a map value to the rows: the remap of each mapped key that has a row (the first row
// with its scan code before the row with scan code 0), then NormaliseKeyMap. The entries of
// keys without a row go to `others`, a new array (free()) of `otherCount` u32 (null when
// there are none). A value shorter than 16 bytes, with a count below 2 or shorter than its
// count requires changes nothing. 1 when the value was applied, 0 when it was not usable.
int ApplyScancodeMap(KeyMapEntry* rows, int count, const uint8_t* value, uint32_t size,
                     uint32_t*& others, int& otherCount);

// Number of mappings a map written from the rows and the kept entries holds: the rows with a
// remap before the row with scan code 0, plus otherCount.
int CountScancodeMappings(const KeyMapEntry* rows, int count, int otherCount);

// The map value for the rows (in row order, 0x00FF written as 0) followed by the kept
// entries: a new buffer (free()) of byteCount = 16 + 4 x mappings bytes; with no mapping it is
// the empty map of 16 bytes. Null (byteCount 0) when memory runs out.
uint8_t* BuildScancodeMap(const KeyMapEntry* rows, int count, const uint32_t* others,
                          int otherCount, uint32_t& byteCount);
