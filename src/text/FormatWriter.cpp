// The engine's loop and its integer and character writers; Format and AppendFormatV.
#include "FormatWriter.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

const char kLowerHexDigits[17] = "0123456789abcdef";
const char kUpperHexDigits[17] = "0123456789ABCDEF";

namespace {

const int kMaxIntegerPrecision = 308;
const int kPointerDigits = 8;

} // namespace

int GString::Format(GString& out, const WChar* directives, ...)
{
    out.Reset(true);
    va_list args;
    va_start(args, directives);
    int result = out.AppendFormatV(directives, args);
    va_end(args);
    return result;
}

int GString::AppendFormatV(const WChar* directives, va_list args)
{
    if (!m_wide || !directives)
        return 0;
    CFormatArgs cursor(args);
    CFormatWriter writer(*this, cursor);
    return writer.Run(directives);
}

CFormatWriter::CFormatWriter(GString& target, CFormatArgs& args)
    : m_target(target), m_args(args), m_startLength(target.m_length), m_startBlock(0),
      m_startBlockEnd(0), m_startTextEnd(0), m_moved(false), m_keptBlock(nullptr),
      m_end(nullptr), m_free(0)
{
    Sync();
    if (target.m_block) {
        m_startBlock = (uintptr_t)target.m_block;
        m_startBlockEnd = m_startBlock + (uintptr_t)target.m_blockSize;
        m_startTextEnd = (uintptr_t)m_end;
    }
}

CFormatWriter::~CFormatWriter()
{
    free(m_keptBlock);
}

void CFormatWriter::Sync()
{
    if (!m_target.m_block) {
        m_end = nullptr;
        m_free = 0;
        return;
    }
    m_end = (WChar*)m_target.TextBytes() + m_target.m_length;
    m_free = m_target.FreeRoom();
}

int CFormatWriter::Run(const WChar* directives)
{
    int64_t bound = StartTextBound(directives);
    if (bound < 0)
        return RunFrom(directives);
    // A directive string inside the target's own text ends where that text ended.
    GString copy;
    copy.Reset(true);
    int64_t n = 0;
    while (n < bound / 2 && directives[n])
        ++n;
    if (n > 0 && !copy.AppendW(directives, (int)n))
        return 0;
    return RunFrom(copy.WideAt(0));
}

int CFormatWriter::RunFrom(const WChar* p)
{
    int ok = 1;
    while (*p) {
        if (*p != '%') {
            p = CopyLiteral(p);
            if (!p) {
                ok = 0;
                break;
            }
            continue;
        }
        FormatDirective d;
        ParseFormatDirective(p, d);
        p += d.length;
        if (d.widthStar) {
            int width = m_args.NextInt();
            if (width < 0) {
                d.flags |= kFmtLeft;
                width = width == INT_MIN ? INT_MAX : -width;
            }
            d.width = width;
        }
        if (d.precisionStar)
            d.precision = m_args.NextInt();
        if (d.conversion == 0) {
            // Not a conversion: the directive is dropped and the character in its conversion
            // position is ordinary text, even a "%".
            if (*p) {
                p = CopyLiteral(p);
                if (!p) {
                    ok = 0;
                    break;
                }
            }
            continue;
        }
        if (!WriteDirective(d)) {
            ok = 0;
            break;
        }
    }
    m_target.Terminate();
    return ok;
}

int CFormatWriter::WriteDirective(const FormatDirective& d)
{
    switch (d.conversion) {
    case '%':
        return AppendUnits(WSTR("%"), 1);
    case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': case 'y': case 'p': case 'P':
        return WriteInteger(d);
    case 'c': case 'C':
        return WriteCharacter(d);
    case 's': case 'S': case 'z': case 'Z':
        return WriteText(d);
    case 'b': case 'B':
        return WriteByteDump(d);
    case 'e': case 'E': case 'f': case 'g': case 'G': case 'a': case 'A':
        return WriteFloat(d);
    case 'F':
        return WriteEngineering(d);
    case 'I': case 'U':
        return WriteSize(d);
    case 'w': case 'W':
        return WriteAddress(d);
    case 'N':
        return AppendUnits(WSTR("\r\n"), 2);
    case 'n':
        return WriteCount();
    default:
        // T, t and Y are refused: their argument is taken and the call fails.
        m_args.NextPointer();
        return 0;
    }
}

int CFormatWriter::Room(int64_t count)
{
    if (count <= m_free)
        return 1;
    if (count > INT_MAX - m_target.m_length)
        return 0;
    if (m_moved || !m_target.m_block) {
        int ok = m_target.EnsureFree((int)count);
        Sync();
        return ok;
    }
    // Growth as GString's own, but into a new block while the old one stays allocated.
    int64_t length = m_target.m_length;
    int64_t size = length + count;
    if (length + length / 2 > size)
        size = length + length / 2;
    if (size > INT_MAX)
        return 0;
    GString fresh;
    fresh.m_wide = 1;
    if (!fresh.Reserve((int)size))
        return 0;
    memcpy(fresh.TextBytes(), m_target.TextBytes(), (size_t)length * 2);
    fresh.m_length = (int32_t)length;
    m_target.SwapStorage(fresh);
    m_keptBlock = fresh.m_block;
    fresh.m_block = nullptr;
    m_moved = true;
    Sync();
    return 1;
}

WChar* CFormatWriter::Claim(int64_t count)
{
    if (count <= 0 || !Room(count))
        return nullptr;
    WChar* out = m_end;
    m_end += count;
    m_free -= count;
    m_target.m_length += (int)count;
    return out;
}

const WChar* CFormatWriter::CopyLiteral(const WChar* p)
{
    // Straight into the free room while it lasts: no separate scan for the run's end.
    const WChar* q = p;
    if (m_free > 0) {
        int64_t n = 1;
        m_end[0] = p[0];
        while (n < m_free && p[n] && p[n] != '%') {
            m_end[n] = p[n];
            ++n;
        }
        m_end += n;
        m_free -= n;
        m_target.m_length += (int)n;
        q = p + n;
        if (!*q || *q == '%')
            return q;
    }
    // The rest of the run with one claim.
    const WChar* end = q + 1;
    while (*end && *end != '%')
        ++end;
    return AppendUnits(q, end - q) ? end : nullptr;
}

int CFormatWriter::AppendUnits(const WChar* text, int64_t count)
{
    WChar* out = Claim(count);
    if (!out)
        return 0;
    memcpy(out, text, (size_t)count * sizeof(WChar));
    return 1;
}

int64_t CFormatWriter::StartTextBound(const void* p) const
{
    uintptr_t at = (uintptr_t)p;
    if (!m_startBlock || at < m_startBlock || at >= m_startBlockEnd)
        return -1;
    return at < m_startTextEnd ? (int64_t)(m_startTextEnd - at) : 0;
}

bool CFormatWriter::InTargetBlock(const void* p, int64_t bytes) const
{
    if (!m_target.m_block || !p)
        return false;
    uintptr_t begin = (uintptr_t)m_target.m_block;
    uintptr_t end = begin + (uintptr_t)m_target.m_blockSize;
    uintptr_t first = (uintptr_t)p;
    uintptr_t count = (uintptr_t)(bytes > 1 ? bytes : 1);
    return first < end && first + count > begin;
}

int CFormatWriter::WriteInteger(const FormatDirective& d)
{
    unsigned flags = d.flags;
    int precision = d.precision;
    uint64_t magnitude;
    bool negative = false;
    bool null = false;
    if (flags & kFmtPointer) {
        // The digits are the pointer's low 32 bits; null is decided on the whole pointer, so a
        // 64-bit pointer whose low half is zero is not shown as null.
        flags = (flags & ~(kFmtSize32 | kFmtSize64 | kFmtSigned | kFmtOctal | kFmtBinary)) | kFmtHex;
        precision = kPointerDigits;
        const void* pointer = m_args.NextPointer();
        null = pointer == nullptr;
        magnitude = (uint32_t)(uintptr_t)pointer;
    } else if (flags & kFmtSize64) {
        uint64_t value = (uint64_t)m_args.NextInt64();
        negative = (flags & kFmtSigned) && (int64_t)value < 0;
        magnitude = negative ? 0 - value : value;
    } else {
        uint32_t value = (uint32_t)m_args.NextInt();
        negative = (flags & kFmtSigned) && (int32_t)value < 0;
        magnitude = negative ? (uint32_t)(0u - value) : value;
    }
    if (precision <= 0)
        precision = 1;
    else if (precision > kMaxIntegerPrecision)
        precision = kMaxIntegerPrecision;

    int base = (flags & kFmtHex) ? 16 : (flags & kFmtOctal) ? 8 : (flags & kFmtBinary) ? 2 : 10;
    int shift = base == 16 ? 4 : base == 8 ? 3 : base == 2 ? 1 : 0;
    int digits = 1;
    if (shift) {
        if (magnitude) {
            int bits = 64 - __builtin_clzll(magnitude);
            digits = (bits + shift - 1) / shift;
        }
    } else {
        for (uint64_t power = 10; digits < 20 && magnitude >= power; power *= 10)
            ++digits;
    }
    int prefix = 0;
    if (flags & kFmtAlt)
        prefix = base == 16 || base == 2 ? 2 : base == 8 ? 1 : 0;
    WChar sign = 0;
    if (flags & kFmtSigned)
        sign = negative ? '-' : (flags & kFmtPlus) ? '+' : (flags & kFmtSpace) ? ' ' : 0;
    int signWidth = sign ? 1 : 0;
    // The precision counts sign and prefix too: it adds leading zeros only when it reaches
    // all three together.
    if (precision >= signWidth + prefix + digits) {
        digits = precision;
        if (base == 8)
            prefix = 0;
    }
    int group = 0;
    if (flags & kFmtGroup)
        group = base == 16 || base == 2 ? 4 : 3;
    int separators = group ? (digits - 1) / group : 0;
    int64_t total = signWidth + prefix + digits + separators;
    FieldLayout layout = LayoutField(flags, d.width, total, true);

    WChar* out = Claim(layout.spaces + layout.zeros + total + layout.trailing);
    if (!out)
        return 0;
    out = FillUnits(out, ' ', layout.spaces);
    if (null) {
        static const WChar kNull[] = WSTR("{null}");
        out = FillUnits(out, '0', layout.zeros);
        out = FillUnits(out, ' ', total - 6);
        for (int i = 0; i < 6; ++i)
            *out++ = kNull[i];
        FillUnits(out, ' ', layout.trailing);
        return 1;
    }
    if (sign)
        *out++ = sign;
    if (prefix) {
        *out++ = '0';
        if (prefix == 2)
            *out++ = base == 16 ? 'x' : 'y';
    }
    out = FillUnits(out, '0', layout.zeros);
    const char* table = (flags & kFmtUpper) ? kUpperHexDigits : kLowerHexDigits;
    WChar* end = out + digits + separators;
    WChar* q = end;
    uint64_t m = magnitude;
    if (!group && !shift && m <= UINT32_MAX) {
        // The common case: plain decimal digits of a 32-bit magnitude.
        uint32_t v = (uint32_t)m;
        for (int k = 0; k < digits; ++k) {
            *--q = (WChar)('0' + v % 10);
            v /= 10;
        }
    } else if (!group && shift) {
        unsigned mask = (unsigned)base - 1;
        for (int k = 0; k < digits; ++k) {
            *--q = (WChar)table[(unsigned)m & mask];
            m >>= shift;
        }
    } else {
        for (int k = 0; k < digits; ++k) {
            if (group && k > 0 && k % group == 0)
                *--q = ' ';
            unsigned digit;
            if (shift) {
                digit = (unsigned)(m & (uint64_t)(base - 1));
                m >>= shift;
            } else {
                digit = (unsigned)(m % 10);
                m /= 10;
            }
            *--q = (WChar)table[digit];
        }
    }
    FillUnits(end, ' ', layout.trailing);
    return 1;
}

int CFormatWriter::WriteCharacter(const FormatDirective& d)
{
    uint16_t unit = (uint16_t)m_args.NextInt();
    bool escape = ((d.flags & kFmtStrict) && (unit < 0x20 || unit > 0x7E)) ||
                  ((d.flags & kFmtAlt) && unit < 0x20);
    if (!escape && (d.flags & kFmtNarrow)) {
        // The low byte as UTF-8 text: only a single-byte character is valid.
        unit &= 0xFF;
        if (unit > 0x7F)
            return 0;
    }
    int length = escape ? 4 : 1;
    FieldLayout layout = LayoutField(d.flags, d.width, length, true);
    WChar* out = Claim(layout.spaces + layout.zeros + length + layout.trailing);
    if (!out)
        return 0;
    out = FillUnits(out, ' ', layout.spaces);
    out = FillUnits(out, '0', layout.zeros);
    if (escape) {
        const char* table = (d.flags & kFmtUpper) ? kUpperHexDigits : kLowerHexDigits;
        *out++ = '{';
        *out++ = (WChar)table[(unit >> 4) & 0xF];
        *out++ = (WChar)table[unit & 0xF];
        *out++ = '}';
    } else {
        *out++ = (WChar)unit;
    }
    FillUnits(out, ' ', layout.trailing);
    return 1;
}

int CFormatWriter::WriteCount()
{
    int* location = m_args.Next<int>();
    if (location)
        *location = m_target.m_length - m_startLength;
    return 1;
}
