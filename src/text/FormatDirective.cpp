#include "FormatDirective.h"

#include <stdint.h>

namespace {

const int kMaxNumberDigits = 10;

bool IsDigit(WChar c)
{
    return c >= '0' && c <= '9';
}

// Up to ten digits; the value saturates instead of overflowing.
int ReadNumber(const WChar* text, int& pos)
{
    int64_t value = 0;
    for (int n = 0; n < kMaxNumberDigits && IsDigit(text[pos]); ++n, ++pos)
        value = value * 10 + (text[pos] - '0');
    return value > kFormatNumberMax ? kFormatNumberMax : (int)value;
}

// Flags that a conversion letter adds; 0 for a character that is no conversion.
unsigned ConversionFlags(WChar c, bool& known)
{
    known = true;
    switch (c) {
    case 'd': case 'i': case 'I':
        return kFmtSigned;
    case 'u': case 'U': case 'c': case 's': case 'z': case 'b': case 'e': case 'f': case 'g':
    case 'a': case 'F': case 'w': case 'N': case 'n': case 'T': case 't': case 'Y':
        return 0;
    case 'o':
        return kFmtOctal;
    case 'x':
        return kFmtHex;
    case 'X':
        return kFmtHex | kFmtUpper;
    case 'y':
        return kFmtBinary;
    case 'p':
        return kFmtPointer;
    case 'P':
        return kFmtPointer | kFmtUpper;
    case 'A': case 'B': case 'C': case 'E': case 'G': case 'S': case 'W': case 'Z':
        return kFmtUpper;
    default:
        known = false;
        return 0;
    }
}

} // namespace

void ParseFormatDirective(const WChar* text, FormatDirective& d)
{
    d.flags = 0;
    d.width = -1;
    d.precision = 0;
    d.widthStar = 0;
    d.precisionStar = 0;
    d.conversion = 0;
    int pos = 1;
    if (text[pos] == '%') {
        d.conversion = '%';
        d.length = 2;
        return;
    }
    for (;; ++pos) {
        unsigned flag = 0;
        switch (text[pos]) {
        case '-': flag = kFmtLeft; break;
        case '+': flag = kFmtPlus; break;
        case ' ': flag = kFmtSpace; break;
        case '0': flag = kFmtZero; break;
        case '#': flag = kFmtAlt; break;
        case '$': flag = kFmtStrict; break;
        case '`': flag = kFmtGroup; break;
        default: break;
        }
        if (!flag)
            break;
        d.flags |= flag;
    }
    if (text[pos] == '*') {
        d.widthStar = 1;
        ++pos;
    } else if (IsDigit(text[pos])) {
        d.width = ReadNumber(text, pos);
    }
    if (text[pos] == '.') {
        ++pos;
        if (text[pos] == '*') {
            d.precisionStar = 1;
            ++pos;
        } else {
            d.precision = ReadNumber(text, pos);
        }
    }
    if (text[pos] == 'L') {
        d.flags |= kFmtSize64;
        ++pos;
    } else if (text[pos] == 'l') {
        ++pos;
        if (text[pos] == 'l') {
            d.flags |= kFmtSize64;
            ++pos;
        } else {
            d.flags |= kFmtSize32;
        }
    } else if (text[pos] == 'h') {
        d.flags |= kFmtNarrow;
        ++pos;
    }
    bool known = false;
    unsigned flags = ConversionFlags(text[pos], known);
    if (!known) {
        d.length = pos;
        return;
    }
    d.flags |= flags;
    d.conversion = text[pos];
    d.length = pos + 1;
}
