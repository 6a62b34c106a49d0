// Engineering notation with SI prefixes (F) and 1024-based sizes (I, U).
#include <math.h>

#include "DecimalDigits.h"
#include "FormatWriter.h"
#include "NumberWriters.h"

namespace {

const int kMaxDigits = 308;

// Prefixes of the exponents -24 to 24 in steps of 3; the micro sign is U+00B5 in UTF-8.
const char* const kSiPrefixes[17] = {"y", "z", "a", "f", "p", "n", "\xC2\xB5", "m", " ",
                                     "k", "M", "G", "T", "P", "E", "Z", "Y"};

// Binary prefixes of 1024^1 to 1024^8.
const char* const kBinaryPrefixes[9] = {"", "Ki", "Mi", "Gi", "Ti", "Pi", "Ei", "Zi", "Yi"};

// With alt, a size below 1024 ends in two blanks and this character: it is a plain count of
// bytes.
const char kByteUnit = 'B';

} // namespace

int CFormatWriter::WriteEngineering(const FormatDirective& d)
{
    double x;
    if (d.flags & kFmtNarrow)
        x = m_args.NextInt();
    else if (d.flags & kFmtSize64)
        x = (double)m_args.NextInt64();
    else
        x = m_args.NextDouble();
    GString* scratch = m_target.PrepareScratch();
    if (!scratch || !scratch->EnsureFree(kNumberScratchBytes))
        return 0;
    int width = NumberWidth(d.width);
    if (!isfinite(x))
        return AppendNonFinite(d.flags, width, x);
    int p = d.precision < 3 ? 3 : d.precision > kMaxDigits ? kMaxDigits : d.precision;
    DecimalDigits digits;
    SignificantDigits(x, p, digits);
    int exponent = x == 0 ? 0 : digits.decpt - 1;
    // The exponent rounded down to a multiple of three, and the digits before the point.
    int engineering = exponent >= 0 ? exponent / 3 * 3 : -((-exponent + 2) / 3 * 3);
    int integerDigits = exponent - engineering + 1;

    NumberBody body;
    body.PutSign(digits.negative != 0, d.flags);
    body.Put(digits.digits, integerDigits);
    body.Put('.');
    body.Put(digits.digits + integerDigits, p - integerDigits);
    if ((d.flags & kFmtAlt) && engineering >= -24 && engineering <= 24) {
        body.Put(' ');
        const char* prefix = kSiPrefixes[(engineering + 24) / 3];
        if ((unsigned char)prefix[0] >= 0x80) {
            // The micro sign: two bytes, one character.
            body.text[body.bytes++] = prefix[0];
            body.text[body.bytes++] = prefix[1];
            ++body.chars;
        } else {
            body.Put(prefix[0]);
        }
    } else {
        body.PutExponent('e', engineering);
    }
    return AppendField(d.flags, width, body, true);
}

int CFormatWriter::WriteSize(const FormatDirective& d)
{
    bool isSigned = (d.flags & kFmtSigned) != 0;
    uint64_t magnitude;
    bool negative = false;
    if (d.flags & kFmtSize64) {
        uint64_t v = (uint64_t)m_args.NextInt64();
        negative = isSigned && (int64_t)v < 0;
        magnitude = negative ? 0 - v : v;
    } else {
        uint32_t v = (uint32_t)m_args.NextInt();
        negative = isSigned && (int32_t)v < 0;
        magnitude = negative ? (uint32_t)(0u - v) : v;
    }
    GString* scratch = m_target.PrepareScratch();
    if (!scratch || !scratch->EnsureFree(kNumberScratchBytes))
        return 0;
    int p = d.precision < 0 ? 3 : d.precision <= 1 ? 2 : d.precision > kMaxDigits ? kMaxDigits : d.precision;

    int n = 0;
    for (uint64_t m = magnitude; m >= 1024; m /= 1024)
        ++n;
    double x = ldexp((double)magnitude, -10 * n);
    DecimalDigits digits;
    SignificantDigits(x, p, digits);
    if (digits.decpt > p) {
        // Rounded, the value has more integer digits than places: one unit further.
        ++n;
        x /= 1024;
        SignificantDigits(x, p - 1 > 1 ? p - 1 : 1, digits);
    }

    NumberBody body;
    body.PutSign(negative, d.flags);
    int next = 0;   // the next digit of D to take
    for (int position = 0; position < p; ++position) {
        if (position == 0 && digits.decpt <= 0) {
            body.Put('0');
            body.Put('.');
            continue;
        }
        body.Put(next < digits.count ? digits.digits[next++] : '0');
        if (position + 1 == digits.decpt)
            body.Put('.');
    }
    if (d.flags & kFmtAlt) {
        body.Put(' ');
        if (n == 0) {
            body.Put(' ');
            body.Put(kByteUnit);
        } else {
            body.Put(kBinaryPrefixes[n], 2);
        }
    } else {
        body.Put('b');
        body.Put((char)('0' + n));
        body.Put('0');
    }
    return AppendField(d.flags, NumberWidth(d.width), body, true);
}
