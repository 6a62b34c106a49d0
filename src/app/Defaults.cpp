#include "Defaults.h"

namespace {

int HexDigit(WChar c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsSpace(WChar c)
{
    return c == ' ' || (c >= 9 && c <= 13);
}

} // namespace

int ScanHexField(const WChar* text, uint32_t& value)
{
    if (!text)
        return 0;
    const WChar* p = text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // "0x" is a prefix only when a digit follows; otherwise its 0 is the number.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0)
        p += 2;
    if (HexDigit(*p) < 0)
        return 0;
    uint64_t n = 0;
    for (; HexDigit(*p) >= 0; ++p) {
        n = n * 16 + (uint64_t)HexDigit(*p);
        if (n > 0xFFFFFFFFull)
            n = 0x100000000ull;   // saturated, stays out of range while digits follow
    }
    uint32_t result = n > 0xFFFFFFFFull ? 0xFFFFFFFFu : (uint32_t)n;
    value = negative ? (uint32_t)(0u - result) : result;
    return 1;
}
