// Portable pieces of the defaults the installer computes at start-up.
#pragma once

#include <stdint.h>

#include "text/WideChar.h"

// Reads one hexadecimal number the way the C library's scanf reads "%X": leading white space,
// an optional sign, an optional 0x or 0X, then hexadecimal digits; a value too large for 32
// bits saturates. Returns the number of fields converted (1, or 0 when no digit was read, in
// which case `value` is not written). The image carries no C library scanf for this one use.
int ScanHexField(const WChar* text, uint32_t& value);
