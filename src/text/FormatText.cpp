// Text and byte-dump writers: %s %S %z %Z (wide or UTF-8 text, GString, counted record) and
// %b %B.
#include <limits.h>
#include <string.h>

#include "FormatWriter.h"
#include "Utf8.h"

namespace {

const WChar kNullText[] = WSTR("{null}");
const int kNullLength = 6;

// Wide text may sit at any even or odd address (a counted record's text follows a 4-byte
// header wherever the record is), so units are loaded byte-wise.
inline uint16_t UnitAt(const uint8_t* text, int64_t i)
{
    uint16_t u;
    memcpy(&u, text + 2 * i, 2);
    return u;
}

inline bool IsContinuation(uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

// Continuation bytes that a UTF-8 lead byte announces.
inline int AnnouncedTrail(uint8_t lead)
{
    if ((lead & 0xE0) == 0xC0)
        return 1;
    if ((lead & 0xF0) == 0xE0)
        return 2;
    if ((lead & 0xF8) == 0xF0)
        return 3;
    return 0;
}

inline bool Printable(uint16_t u)
{
    return u >= 0x20 && u <= 0x7E;
}

WChar* Escape(WChar* out, unsigned value, const char* table)
{
    *out++ = '{';
    *out++ = (WChar)table[(value >> 4) & 0xF];
    *out++ = (WChar)table[value & 0xF];
    *out++ = '}';
    return out;
}

// Bytes of UTF-8 text that a precision selects. Characters are counted by lead bytes; the
// last character keeps the continuation bytes its lead byte announces (and no more, so an
// exact negative count never reads past the caller's characters).
int64_t Utf8Extent(const uint8_t* text, int precision, bool strict, int64_t maxBytes)
{
    bool stopAtTerminator = precision >= 0;
    int64_t limit = precision > 0 ? precision : precision < 0 ? -(int64_t)precision : INT64_MAX;
    if (strict || precision == 0) {
        if (!stopAtTerminator)
            return limit < maxBytes ? limit : maxBytes;
        int64_t n = 0;
        while (n < limit && n < maxBytes && text[n])
            ++n;
        return n;
    }
    int64_t i = 0;
    int64_t count = 0;
    while (count < limit && i < maxBytes) {
        uint8_t b = text[i];
        if (stopAtTerminator && b == 0)
            break;
        ++i;
        if (IsContinuation(b))
            continue;
        if (++count == limit) {
            for (int k = AnnouncedTrail(b); k > 0 && i < maxBytes && IsContinuation(text[i]); --k)
                ++i;
        }
    }
    return i;
}

} // namespace

int CFormatWriter::WriteText(const FormatDirective& d)
{
    const uint8_t* text = nullptr;
    bool utf8 = false;
    int64_t maxBytes = -1;
    if (d.conversion == 's' || d.conversion == 'S') {
        text = (const uint8_t*)m_args.NextPointer();
        if (d.flags & kFmtSize64)
            return 1;
        utf8 = (d.flags & kFmtNarrow) != 0;
    } else if (d.flags & kFmtNarrow) {
        // A counted record: bit 31 of the little-endian header selects UTF-8; the text after
        // the header runs to its terminator.
        const uint8_t* record = m_args.Next<const uint8_t>();
        if (record) {
            utf8 = (record[3] & 0x80) != 0;
            text = record + 4;
        }
    } else {
        const GString* string = m_args.Next<const GString>();
        if (string == &m_target) {
            // The target's own text as it stands; it is not terminated while the call runs
            // and may move with the next claim, so it is written from a copy.
            GString* copy = m_target.PrepareScratch();
            if (!copy)
                return 0;
            copy->Reset(true);
            if (!copy->AppendW(m_target.WideAt(0), m_target.m_length))
                return 0;
            text = (const uint8_t*)copy->WideAt(0);
            maxBytes = ((int64_t)copy->GetLength() + 1) * 2;
        } else if (string) {
            // An exact count never reads past the string's text and its terminator.
            utf8 = !string->IsWide();
            text = utf8 ? (const uint8_t*)string->NarrowAt(0) : (const uint8_t*)string->WideAt(0);
            maxBytes = ((int64_t)string->GetLength() + 1) * (utf8 ? 1 : 2);
        }
    }
    if (!text)
        return WriteNull(d);
    // A text inside the target's starting block ends where the target's text ended.
    if (maxBytes < 0)
        maxBytes = StartTextBound(text);
    if (maxBytes < 0)
        maxBytes = INT64_MAX;
    return utf8 ? WriteUtf8Text(d, text, maxBytes) : WriteWideText(d, text, maxBytes);
}

int CFormatWriter::WriteWideText(const FormatDirective& d, const uint8_t* text, int64_t maxBytes)
{
    int64_t maxUnits = maxBytes / 2;
    if (d.width <= 0 && d.precision >= 0 && !(d.flags & (kFmtStrict | kFmtAlt)) &&
        ((uintptr_t)text & 1) == 0) {
        // Plain text without padding: copied into the free room while it is scanned. When the
        // room runs out first, the general path below starts again.
        const WChar* source = (const WChar*)text;
        int64_t limit = d.precision > 0 && d.precision < maxUnits ? d.precision : maxUnits;
        if (limit > m_free)
            limit = m_free;
        int64_t n = 0;
        while (n < limit && source[n]) {
            m_end[n] = source[n];
            ++n;
        }
        if (n < limit || n == (d.precision > 0 ? d.precision : -1) || n == maxUnits ||
            !source[n]) {
            m_end += n;
            m_free -= n;
            m_target.m_length += (int)n;
            return 1;
        }
    }
    int64_t count;
    if (d.precision < 0) {
        count = -(int64_t)d.precision;
        if (count > maxUnits)
            count = maxUnits;
    } else {
        int64_t limit = d.precision > 0 ? d.precision : INT64_MAX;
        if (limit > maxUnits)
            limit = maxUnits;
        count = 0;
        while (count < limit && UnitAt(text, count))
            ++count;
    }
    if (count > INT_MAX)
        return 0;
    bool strict = (d.flags & kFmtStrict) != 0;
    bool alt = (d.flags & kFmtAlt) != 0;
    int64_t length = count;
    if (strict || alt) {
        for (int64_t i = 0; i < count; ++i) {
            uint16_t u = UnitAt(text, i);
            if (strict ? !Printable(u) : u < 0x20)
                length += 3;
        }
    }
    FieldLayout layout = LayoutField(d.flags, d.width, length, true);
    int64_t total = layout.spaces + layout.zeros + length + layout.trailing;
    if (total == 0)
        return 1;
    WChar* out = Claim(total);
    if (!out)
        return 0;
    out = FillUnits(out, ' ', layout.spaces);
    out = FillUnits(out, '0', layout.zeros);
    if (length == count) {
        memcpy(out, text, (size_t)count * 2);
        out += count;
    } else {
        const char* table = (d.flags & kFmtUpper) ? kUpperHexDigits : kLowerHexDigits;
        for (int64_t i = 0; i < count; ++i) {
            uint16_t u = UnitAt(text, i);
            if (strict ? !Printable(u) : u < 0x20)
                out = Escape(out, u & 0xFF, table);
            else
                *out++ = (WChar)u;
        }
    }
    FillUnits(out, ' ', layout.trailing);
    return 1;
}

int CFormatWriter::WriteUtf8Text(const FormatDirective& d, const uint8_t* text, int64_t maxBytes)
{
    bool strict = (d.flags & kFmtStrict) != 0;
    bool alt = !strict && (d.flags & kFmtAlt) != 0;
    int64_t bytes = Utf8Extent(text, d.precision, strict, maxBytes);
    if (bytes > INT_MAX)
        return 0;
    int n = (int)bytes;
    int64_t length = 0;
    if (strict) {
        for (int i = 0; i < n; ++i)
            length += Printable(text[i]) ? 1 : 4;
    } else if (alt) {
        // Control bytes are escaped; the runs between them are decoded on their own.
        for (int i = 0; i < n;) {
            if (text[i] < 0x20) {
                length += 4;
                ++i;
                continue;
            }
            int run = i;
            while (run < n && text[run] >= 0x20)
                ++run;
            int units = Utf8DecodedLength(text + i, run - i);
            if (units < 0)
                return 0;
            length += units;
            i = run;
        }
    } else {
        length = Utf8DecodedLength(text, n);
        if (length < 0)
            return 0;
    }
    FieldLayout layout = LayoutField(d.flags, d.width, length, true);
    int64_t total = layout.spaces + layout.zeros + length + layout.trailing;
    if (total == 0)
        return 1;
    WChar* out = Claim(total);
    if (!out)
        return 0;
    out = FillUnits(out, ' ', layout.spaces);
    out = FillUnits(out, '0', layout.zeros);
    const char* table = (d.flags & kFmtUpper) ? kUpperHexDigits : kLowerHexDigits;
    if (strict) {
        for (int i = 0; i < n; ++i) {
            if (Printable(text[i]))
                *out++ = text[i];
            else
                out = Escape(out, text[i], table);
        }
    } else if (alt) {
        for (int i = 0; i < n;) {
            if (text[i] < 0x20) {
                out = Escape(out, text[i], table);
                ++i;
                continue;
            }
            int run = i;
            while (run < n && text[run] >= 0x20)
                ++run;
            out += DecodeUtf8(text + i, run - i, out);
            i = run;
        }
    } else {
        out += DecodeUtf8(text, n, out);
    }
    FillUnits(out, ' ', layout.trailing);
    return 1;
}

int CFormatWriter::WriteNull(const FormatDirective& d)
{
    FieldLayout layout = LayoutField(d.flags, d.width, kNullLength, true);
    WChar* out = Claim(layout.spaces + layout.zeros + kNullLength + layout.trailing);
    if (!out)
        return 0;
    out = FillUnits(out, ' ', layout.spaces);
    out = FillUnits(out, '0', layout.zeros);
    memcpy(out, kNullText, kNullLength * sizeof(WChar));
    FillUnits(out + kNullLength, ' ', layout.trailing);
    return 1;
}

int CFormatWriter::WriteByteDump(const FormatDirective& d)
{
    const uint8_t* bytes = m_args.Next<const uint8_t>();
    int n = d.precision;
    if (n <= 0)
        return 1;
    if (!bytes)
        return WriteNull(d);
    if (InTargetBlock(bytes, n)) {
        GString* copy = m_target.PrepareScratch();
        if (!copy || !copy->AppendA((const char*)bytes, n))
            return 0;
        bytes = (const uint8_t*)copy->NarrowAt(0);
    }
    bool alt = (d.flags & kFmtAlt) != 0;
    bool group = (d.flags & kFmtGroup) != 0;
    bool space = (d.flags & kFmtSpace) != 0;
    int64_t groups = group ? ((int64_t)n + 3) / 4 : 0;
    int64_t length = 2 * (int64_t)n;
    if (alt)
        length += group ? 2 * groups : 2 * (int64_t)n;
    else if (group)
        length += groups - 1;
    if (space)
        length += n - 1;
    FieldLayout layout = LayoutField(d.flags, d.width, length, true);
    WChar* out = Claim(layout.spaces + layout.zeros + length + layout.trailing);
    if (!out)
        return 0;
    out = FillUnits(out, ' ', layout.spaces);
    out = FillUnits(out, '0', layout.zeros);
    const char* table = (d.flags & kFmtUpper) ? kUpperHexDigits : kLowerHexDigits;
    for (int i = 0; i < n; ++i) {
        bool groupStart = group && i % 4 == 0;
        if (i > 0) {
            if (groupStart && !alt)
                out = FillUnits(out, ' ', space ? 2 : 1);
            else if (space)
                *out++ = ' ';
        }
        if (alt && (groupStart || !group))
            *out++ = '{';
        *out++ = (WChar)table[bytes[i] >> 4];
        *out++ = (WChar)table[bytes[i] & 0xF];
        if (alt && (!group || i % 4 == 3 || i == n - 1))
            *out++ = '}';
    }
    FillUnits(out, ' ', layout.trailing);
    return 1;
}
