// One directive of a format string: "%" flags width .precision size conversion.
//
//   %  [-+ 0#$`]*  [digits | *]  [. [digits | *]]  [L | ll | l | h]  letter
//
// Parsing reads no arguments: a "*" is recorded and the engine takes the int from the argument
// list afterwards (width first, then precision), so the same parser also tells other code how
// many arguments a directive string will read.
#pragma once

#include "WideChar.h"

enum FormatFlag : unsigned {
    kFmtPlus = 0x1,        // "+": non-negative signed values show "+"
    kFmtSpace = 0x2,       // blank: non-negative signed values show a blank; blanks in dumps
    kFmtLeft = 0x4,        // "-" or a negative "*" width: pad on the right
    kFmtZero = 0x8,        // "0": pad with zeros
    kFmtSize32 = 0x10,     // "l": accepted, no effect
    kFmtSize64 = 0x20,     // "L", "ll": 64-bit integer argument
    kFmtNarrow = 0x40,     // "h": UTF-8 text, counted record, int for F, GUID for w
    kFmtSigned = 0x80,     // d, i, I
    kFmtAlt = 0x100,       // "#"
    kFmtStrict = 0x200,    // "$": escape everything outside 0x20-0x7E
    kFmtPointer = 0x400,   // p, P
    kFmtHex = 0x800,       // x, X
    kFmtOctal = 0x1000,    // o
    kFmtBinary = 0x2000,   // y
    kFmtUpper = 0x4000,    // upper-case conversion letters
    kFmtGroup = 0x8000,    // "`": digits in groups separated by blanks
};

struct FormatDirective {
    unsigned flags;
    int width;            // -1: no width
    int precision;        // 0 when absent or given as a bare "."
    int widthStar;        // 1: the width is the next int argument
    int precisionStar;    // 1: the precision is the next int argument
    WChar conversion;     // the conversion letter, '%' for "%%", 0 when there is no conversion
    int length;           // units consumed, from the "%" up to and including the conversion
};

// Parses the directive that starts at text[0] == '%'. When the character in the conversion
// position is not a conversion (an unknown letter, an eleventh digit, the end of the text),
// `conversion` is 0 and `length` stops in front of that character. The conversion's own flags
// (signed, pointer, base, upper) are already set in `flags`.
void ParseFormatDirective(const WChar* text, FormatDirective& d);

// Largest value that a run of width or precision digits gives (ten digits could overflow).
const int kFormatNumberMax = 0x7FFFFFFF;
