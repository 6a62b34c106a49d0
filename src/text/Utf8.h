// UTF-16 <-> UTF-8 conversion rules of GString: one UTF-16 unit at a time, at most three
// bytes per unit, surrogates encoded one by one; four-byte sequences are not accepted.
#pragma once

#include <stdint.h>

#include "WideChar.h"

// Bytes that EncodeUtf8 writes for `len` units.
int64_t Utf8EncodedLength(const WChar* text, int len);
// Writes the UTF-8 bytes of `len` units to `out`; returns the byte count.
int EncodeUtf8(const WChar* text, int len, uint8_t* out);
// Units that `len` bytes decode to, or -1 when the bytes are not valid (lead bytes 0xF0 and up,
// stray or missing continuation bytes, a sequence cut off by the end).
int Utf8DecodedLength(const uint8_t* bytes, int len);
// Decodes bytes already validated by Utf8DecodedLength; returns the unit count.
int DecodeUtf8(const uint8_t* bytes, int len, WChar* out);
// Characters of UTF-8 text counted by lead bytes (every byte that is not 10xxxxxx).
int Utf8CharCount(const uint8_t* bytes, int len);
