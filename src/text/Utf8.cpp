#include "Utf8.h"

#include <string.h>

int64_t Utf8EncodedLength(const WChar* text, int len)
{
    int64_t bytes = 0;
    for (int i = 0; i < len; ++i) {
        uint16_t u = (uint16_t)text[i];
        bytes += u < 0x80 ? 1 : (u < 0x800 ? 2 : 3);
    }
    return bytes;
}

int EncodeUtf8(const WChar* text, int len, uint8_t* out)
{
    int n = 0;
    for (int i = 0; i < len; ++i) {
        uint16_t u = (uint16_t)text[i];
        if (u < 0x80) {
            out[n++] = (uint8_t)u;
        } else if (u < 0x800) {
            out[n++] = (uint8_t)(0xC0 | (u >> 6));
            out[n++] = (uint8_t)(0x80 | (u & 0x3F));
        } else {
            out[n++] = (uint8_t)(0xE0 | (u >> 12));
            out[n++] = (uint8_t)(0x80 | ((u >> 6) & 0x3F));
            out[n++] = (uint8_t)(0x80 | (u & 0x3F));
        }
    }
    return n;
}

namespace {

// Continuation bytes a lead byte needs, or -1 for a byte that cannot start a character.
int TrailCount(uint8_t lead)
{
    if (lead < 0x80)
        return 0;
    if ((lead & 0xE0) == 0xC0)
        return 1;
    if ((lead & 0xF0) == 0xE0)
        return 2;
    return -1;
}

} // namespace

int Utf8DecodedLength(const uint8_t* bytes, int len)
{
    int units = 0;
    for (int i = 0; i < len;) {
        int trail = TrailCount(bytes[i]);
        if (trail < 0 || i + trail >= len)
            return -1;
        for (int k = 1; k <= trail; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return -1;
        }
        i += trail + 1;
        ++units;
    }
    return units;
}

int DecodeUtf8(const uint8_t* bytes, int len, WChar* out)
{
    int units = 0;
    for (int i = 0; i < len;) {
        uint8_t lead = bytes[i];
        uint16_t u;
        if (lead < 0x80) {
            u = lead;
            i += 1;
        } else if ((lead & 0xE0) == 0xC0) {
            u = (uint16_t)((lead & 0x1F) << 6 | (bytes[i + 1] & 0x3F));
            i += 2;
        } else {
            u = (uint16_t)((lead & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 | (bytes[i + 2] & 0x3F));
            i += 3;
        }
        WChar w = (WChar)u;
        memcpy(out + units, &w, 2);
        ++units;
    }
    return units;
}

int Utf8CharCount(const uint8_t* bytes, int len)
{
    int n = 0;
    for (int i = 0; i < len; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            ++n;
    }
    return n;
}
