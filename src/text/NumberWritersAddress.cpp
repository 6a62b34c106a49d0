// IPv4 addresses (w, W) and GUIDs (w, W with h).
#include "FormatWriter.h"
#include "NumberWriters.h"

namespace {

void PutByte(NumberBody& body, unsigned v, bool threeDigits)
{
    if (threeDigits || v >= 100)
        body.Put((char)('0' + v / 100));
    if (threeDigits || v >= 10)
        body.Put((char)('0' + v / 10 % 10));
    body.Put((char)('0' + v % 10));
}

void PutHex(NumberBody& body, uint32_t v, int digits, const char* table)
{
    for (int i = digits - 1; i >= 0; --i)
        body.Put(table[(v >> (4 * i)) & 0xF]);
}

} // namespace

int CFormatWriter::WriteAddress(const FormatDirective& d)
{
    const uint8_t* bytes = m_args.Next<const uint8_t>();
    NumberBody body;
    if (!bytes) {
        body.Put("{null}", 6);
    } else if (d.flags & kFmtNarrow) {
        // Data1, Data2 and Data3 little-endian, then Data4 byte by byte.
        const char* table = (d.flags & kFmtUpper) ? kUpperHexDigits : kLowerHexDigits;
        uint32_t data1 = (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
                         (uint32_t)bytes[3] << 24;
        body.Put('{');
        PutHex(body, data1, 8, table);
        body.Put('-');
        PutHex(body, (uint32_t)bytes[4] | (uint32_t)bytes[5] << 8, 4, table);
        body.Put('-');
        PutHex(body, (uint32_t)bytes[6] | (uint32_t)bytes[7] << 8, 4, table);
        body.Put('-');
        PutHex(body, (uint32_t)bytes[8] << 8 | bytes[9], 4, table);
        body.Put('-');
        for (int i = 10; i < 16; ++i)
            PutHex(body, bytes[i], 2, table);
        body.Put('}');
    } else {
        // The byte at the highest address first, as in a 32-bit value.
        bool threeDigits = (d.flags & kFmtZero) != 0;
        for (int i = 3; i >= 0; --i) {
            PutByte(body, bytes[i], threeDigits);
            if (i > 0)
                body.Put('.');
        }
    }
    // Zero never pads the width here.
    return AppendField(d.flags, d.width, body, false);
}
