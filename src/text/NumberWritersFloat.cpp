// Floating-point writers: fixed (f), exponent (e, E), general (g, G) and hexadecimal (a, A).
#include <math.h>
#include <string.h>

#include "DecimalDigits.h"
#include "FormatWriter.h"
#include "NumberWriters.h"

namespace {

const int kMaxPlaces = 308;

int ClampPlaces(int p, int whenZeroOrLess)
{
    if (p <= 0)
        return whenZeroOrLess;
    return p > kMaxPlaces ? kMaxPlaces : p;
}

// f: sign, integer digits (or "0"), the point, the places.
int ComposeFixed(double x, const FormatDirective& d, NumberBody& body)
{
    int p = ClampPlaces(d.precision, 6);
    DecimalDigits digits;
    if (!FixedDigits(x, p, digits))
        return 0;
    int decpt = digits.decpt < -p ? -p : digits.decpt;
    body.PutSign(digits.negative != 0, d.flags);
    if (decpt > 0) {
        body.Put(digits.digits, decpt);
        body.Put('.');
        body.Put(digits.digits + decpt, digits.count - decpt);
    } else {
        body.Put('0');
        body.Put('.');
        body.PutRepeated('0', -decpt);
        body.Put(digits.digits, digits.count);
    }
    return 1;
}

// e, E: one digit, the point, p digits, the exponent.
void ComposeExponent(double x, const FormatDirective& d, NumberBody& body)
{
    int p = ClampPlaces(d.precision, 6);
    DecimalDigits digits;
    SignificantDigits(x, p + 1, digits);
    int exponent = x == 0 ? 0 : digits.decpt - 1;
    body.PutSign(digits.negative != 0, d.flags);
    body.Put(digits.digits[0]);
    body.Put('.');
    body.Put(digits.digits + 1, p);
    body.PutExponent((d.flags & kFmtUpper) ? 'E' : 'e', exponent);
}

// g, G: p significant digits in exponent or fixed style.
void ComposeGeneral(double x, const FormatDirective& d, NumberBody& body)
{
    int p = d.precision < 0 ? 6 : d.precision == 0 ? 1 : d.precision > kMaxPlaces ? kMaxPlaces : d.precision;
    bool alt = (d.flags & kFmtAlt) != 0;
    DecimalDigits digits;
    SignificantDigits(x, p, digits);
    int exponent = x == 0 ? 0 : digits.decpt - 1;
    const char* D = digits.digits;
    int length = p;
    body.PutSign(digits.negative != 0, d.flags);
    if (exponent < -4 || exponent >= p) {
        if (!alt) {
            while (length > 1 && D[length - 1] == '0')
                --length;
        }
        body.Put(D[0]);
        if (length > 1 || alt) {
            body.Put('.');
            body.Put(D + 1, length - 1);
        }
        body.PutExponent((d.flags & kFmtUpper) ? 'E' : 'e', exponent);
        return;
    }
    if (x == 0 && !alt) {
        body.Put('0');
        return;
    }
    int decpt = digits.decpt;
    if (!alt) {
        while (length > 0 && length > decpt && D[length - 1] == '0')
            --length;
    }
    if (decpt > 0) {
        body.Put(D, decpt);
        if (length > decpt || alt) {
            body.Put('.');
            body.Put(D + decpt, length - decpt);
        }
    } else if (decpt == 0) {
        body.Put('0');
        if (length > 0 || alt) {
            body.Put('.');
            body.Put(D, length);
        }
    } else {
        body.Put('0');
        body.Put('.');
        body.PutRepeated('0', -decpt);
        body.Put(D, length);
    }
}

// a, A: from the bits of the double; the zeros of zero padding follow "0x".
void ComposeHex(double x, const FormatDirective& d, NumberBody& body)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    bool negative = (bits >> 63) != 0;
    int biased = (int)((bits >> 52) & 0x7FF);
    uint64_t fraction = bits & ((1ull << 52) - 1);
    const int kFractionDigits = 13;
    int nibbles[kFractionDigits];
    for (int i = 0; i < kFractionDigits; ++i)
        nibbles[i] = (int)((fraction >> (48 - 4 * i)) & 0xF);
    int p = d.precision > kMaxPlaces ? kMaxPlaces : d.precision;
    bool round = p > 0 && p < kFractionDigits;
    if (p <= 0) {
        p = kFractionDigits;
        while (p > 0 && nibbles[p - 1] == 0)
            --p;
    }
    int lead = biased ? 1 : 0;
    int exponent = biased ? biased - 1023 : (fraction ? -1022 : 0);
    if (round && nibbles[p] >= 8) {
        int i = p - 1;
        for (; i >= 0; --i) {
            if (nibbles[i] != 15) {
                ++nibbles[i];
                break;
            }
            nibbles[i] = 0;
        }
        if (i < 0)
            ++lead;
    }
    const char* table = (d.flags & kFmtUpper) ? kUpperHexDigits : kLowerHexDigits;
    body.PutSign(negative, d.flags);
    body.Put('0');
    body.Put('x');
    body.zerosAt = body.bytes;
    body.Put(table[lead]);
    if (p > 0 || (d.flags & kFmtAlt))
        body.Put('.');
    for (int i = 0; i < p; ++i)
        body.Put(table[i < kFractionDigits ? nibbles[i] : 0]);
    body.Put((d.flags & kFmtUpper) ? 'P' : 'p');
    body.Put(exponent < 0 ? '-' : '+');
    char text[8];
    int n = 0;
    for (unsigned v = exponent < 0 ? (unsigned)-exponent : (unsigned)exponent; n == 0 || v; v /= 10)
        text[n++] = (char)('0' + v % 10);
    while (n > 0)
        body.Put(text[--n]);
}

} // namespace

int CFormatWriter::WriteFloat(const FormatDirective& d)
{
    double x = m_args.NextDouble();
    GString* scratch = m_target.PrepareScratch();
    if (!scratch || !scratch->EnsureFree(kNumberScratchBytes))
        return 0;
    int width = NumberWidth(d.width);
    if (!isfinite(x))
        return AppendNonFinite(d.flags, width, x);
    NumberBody body;
    switch (d.conversion) {
    case 'f':
        if (!ComposeFixed(x, d, body))
            return 0;
        break;
    case 'e': case 'E':
        ComposeExponent(x, d, body);
        break;
    case 'g': case 'G':
        ComposeGeneral(x, d, body);
        break;
    default:
        ComposeHex(x, d, body);
        break;
    }
    return AppendField(d.flags, width, body, true);
}
