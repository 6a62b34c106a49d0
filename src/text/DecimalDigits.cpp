// The exact decimal expansion of a double, by big-number arithmetic in base 10^9.
//
// A finite double is m * 2^e with an integer m below 2^53. For e >= 0 that is the integer
// m * 2^e; for e < 0 it is (m * 5^-e) / 10^-e, so the digits of the integer m * 5^-e are the
// value's digits with the point moved. Either integer has at most 767 digits, 86 limbs of
// nine digits. From its first 18 digits and whether anything non-zero follows, the nearest
// 17-digit decimal is exact.
#include "DecimalDigits.h"

#include <stdint.h>
#include <string.h>

namespace {

const uint32_t kLimbBase = 1000000000u;
const int kMaxLimbs = 96;
const int kNearestDigits = 17;

struct BigDecimal {
    uint32_t limbs[kMaxLimbs];   // little-endian, each below 10^9
    int count;
};

void MultiplySmall(BigDecimal& n, uint32_t factor)
{
    uint64_t carry = 0;
    for (int i = 0; i < n.count; ++i) {
        uint64_t v = (uint64_t)n.limbs[i] * factor + carry;
        n.limbs[i] = (uint32_t)(v % kLimbBase);
        carry = v / kLimbBase;
    }
    while (carry) {
        n.limbs[n.count++] = (uint32_t)(carry % kLimbBase);
        carry /= kLimbBase;
    }
}

int DigitCount(uint32_t v)
{
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

// Adds one unit at the last of `count` digits; returns 1 when the carry leaves the first one
// (the digits are then all zeros).
int Increment(char* digits, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return 0;
        }
        digits[i] = '0';
    }
    return 1;
}

} // namespace

void NearestDigits17(double x, char digits[17], int& decpt)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    int biased = (int)((bits >> 52) & 0x7FF);
    uint64_t m = bits & ((1ull << 52) - 1);
    int e;
    if (biased == 0) {
        e = -1074;
    } else {
        m |= 1ull << 52;
        e = biased - 1075;
    }
    if (m == 0) {
        memset(digits, '0', kNearestDigits);
        decpt = 1;
        return;
    }
    while (!(m & 1)) {
        m >>= 1;
        ++e;
    }

    BigDecimal n;
    n.count = 0;
    while (m) {
        n.limbs[n.count++] = (uint32_t)(m % kLimbBase);
        m /= kLimbBase;
    }
    int pointShift = 0;   // the value is n * 10^pointShift
    if (e > 0) {
        for (; e >= 31; e -= 31)
            MultiplySmall(n, 1u << 31);
        if (e > 0)
            MultiplySmall(n, 1u << e);
    } else if (e < 0) {
        pointShift = e;
        int fives = -e;
        for (; fives >= 13; fives -= 13)
            MultiplySmall(n, 1220703125u);   // 5^13
        uint32_t rest = 1;
        while (fives-- > 0)
            rest *= 5;
        MultiplySmall(n, rest);
    }

    // The first 18 digits, and whether any digit after them is not zero.
    char lead[kNearestDigits + 1];
    int have = 0;
    bool sticky = false;
    int top = n.count - 1;
    int total = DigitCount(n.limbs[top]) + 9 * top;
    for (int i = top; i >= 0; --i) {
        uint32_t v = n.limbs[i];
        int width = i == top ? DigitCount(v) : 9;
        char text[9];
        for (int k = width - 1; k >= 0; --k) {
            text[k] = (char)('0' + v % 10);
            v /= 10;
        }
        for (int k = 0; k < width; ++k) {
            if (have < kNearestDigits + 1)
                lead[have++] = text[k];
            else if (text[k] != '0')
                sticky = true;
        }
        if (have == kNearestDigits + 1 && sticky)
            break;
    }
    decpt = total + pointShift;
    if (have <= kNearestDigits) {
        memcpy(digits, lead, (size_t)have);
        memset(digits + have, '0', (size_t)(kNearestDigits - have));
        return;
    }
    memcpy(digits, lead, kNearestDigits);
    int dropped = lead[kNearestDigits] - '0';
    bool up = dropped > 5 || (dropped == 5 && (sticky || ((digits[kNearestDigits - 1] - '0') & 1)));
    if (up && Increment(digits, kNearestDigits)) {
        digits[0] = '1';
        ++decpt;
    }
}

void SignificantDigits(double x, int count, DecimalDigits& out)
{
    if (count < 1)
        count = 1;
    if (count > kDecimalDigitLimit)
        count = kDecimalDigitLimit;
    out.negative = x < 0;
    out.count = count;
    out.digits[count] = 0;
    if (x == 0) {
        memset(out.digits, '0', (size_t)count);
        out.decpt = 1;
        return;
    }
    char nearest[kNearestDigits];
    NearestDigits17(x, nearest, out.decpt);
    if (count >= kNearestDigits) {
        memcpy(out.digits, nearest, kNearestDigits);
        memset(out.digits + kNearestDigits, '0', (size_t)(count - kNearestDigits));
        return;
    }
    memcpy(out.digits, nearest, (size_t)count);
    if (nearest[count] >= '5' && Increment(out.digits, count)) {
        out.digits[0] = '1';
        ++out.decpt;
    }
}

int FixedDigits(double x, int places, DecimalDigits& out)
{
    if (places < 0)
        places = 0;
    out.negative = x < 0;
    char nearest[kNearestDigits];
    int decpt = 1;
    if (x == 0)
        memset(nearest, '0', kNearestDigits);
    else
        NearestDigits17(x, nearest, decpt);
    int integerDigits = decpt > 0 ? decpt : 0;
    if (integerDigits + places > kDecimalDigitLimit)
        return 0;
    int wanted = decpt + places;
    out.decpt = decpt;
    if (wanted <= 0) {
        // Only a first digit right after the last place can still round up.
        out.count = 0;
        if (wanted == 0 && nearest[0] >= '5') {
            out.digits[0] = '1';
            out.count = 1;
            ++out.decpt;
        }
    } else if (wanted >= kNearestDigits) {
        memcpy(out.digits, nearest, kNearestDigits);
        memset(out.digits + kNearestDigits, '0', (size_t)(wanted - kNearestDigits));
        out.count = wanted;
    } else {
        memcpy(out.digits, nearest, (size_t)wanted);
        out.count = wanted;
        if (nearest[wanted] >= '5' && Increment(out.digits, wanted)) {
            out.digits[0] = '1';
            out.digits[wanted] = '0';
            out.count = wanted + 1;
            ++out.decpt;
        }
    }
    out.digits[out.count] = 0;
    return 1;
}
