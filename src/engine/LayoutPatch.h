// Customisation of a keyboard-layout library image: the user's key reassignments go into its
// scan-code tables and, when asked, the keypad's decimal key types a comma. The tables are found
// by byte patterns that travel as upper-case hexadecimal text; nothing else of the library's
// format is known here.
//
//   scan-code table  u16 virtual key per scan code 0x00..0x7E, pattern 147 + variant at element 0
//   0xE0 table       4-byte records {u8 scan code, u8 pad, u16 virtual key}, ended by scan code 0,
//                    pattern 150 at the first record
//   0xE1 table       the same, pattern 151
//   decimal key      the two UTF-16 characters of the keypad's decimal key, pattern 146
#pragma once

#include <stdint.h>

#include "../payload/StringTable.h"
#include "KeyTable.h"

const StringId kDecimalKeyPattern = 146;
const StringId kScanTablePattern = 147;   // + variant 0..2
const StringId kE0TablePattern = 150;
const StringId kE1TablePattern = 151;

// Bytes of a pattern text: two upper-case hexadecimal digits a byte, an odd last character
// ignored. A new buffer (free()) of byteCount bytes, at least one byte long; null for a null or
// empty text, a text shorter than two characters gives a buffer with byteCount 0. Null (and
// byteCount 0) for any character outside "0123456789ABCDEF" or when memory runs out.
uint8_t* HexTextToBytes(const char* text, int length, uint32_t& byteCount);

// Offset from the start of data of the first match of pattern at or after `start`, or -1.
// -1 also for null or empty data or pattern, a negative start, or a pattern that does not fit
// behind the start.
int FindBytes(const uint8_t* data, const uint8_t* pattern, int dataLen, int patLen, int start);

// Platform slots of the library builds a system needs: the 32-bit library in `first` and, on a
// 64-bit system, the native one in `second` (-1 when there is none). 0 for an unsupported
// system (both -1).
int SelectLayoutSlots(int osVersion, uint16_t nativeArch, int& first, int& second);

// A pattern by StringId as a new buffer (free()) with its byte count; null when the text is
// missing, empty or not valid hexadecimal.
typedef uint8_t* (*PatternLookup)(void* context, StringId id, uint32_t& byteCount);

// Patches `image` (length bytes) in place:
//  - with rows (count > 0): every row below scan code 0x7F with a reassignment goes into the
//    scan-code table of `variant`, every 0xE0nn and 0xE1nn row with one into the record of its
//    scan code in the prefixed table (a scan code the table lacks changes nothing);
//  - with decimalKey 0: the low bytes of the decimal key's two characters become ','.
// Each pattern is searched from the start of the image as patched so far. Writes that would
// fall outside the image are skipped and a record walk ends at the image's end. 0 when a
// needed pattern is missing, invalid or not found, or the variant is not 0..2 (the image may
// then be partly patched and is not to be used); 1 otherwise.
int PatchLayoutImage(uint8_t* image, uint32_t length, const KeyMapEntry* rows, int count,
                     int variant, int decimalKey, PatternLookup lookup, void* context);
