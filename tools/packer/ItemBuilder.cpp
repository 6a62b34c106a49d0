#include "ItemBuilder.h"

#include <zlib.h>

#include <algorithm>

#include "payload/Blowfish.h"
#include "payload/Crc32.h"
#include "payload/ItemReader.h"

std::vector<uint8_t> DeflateRaw(const uint8_t* data, size_t length)
{
    z_stream z = {};
    std::vector<uint8_t> out;
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return out;
    out.resize(deflateBound(&z, (uLong)length) + 16);
    static const uint8_t kNothing = 0;
    z.next_in = (Bytef*)(length ? data : &kNothing);
    z.avail_in = (uInt)length;
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END)
        out.clear();
    return out;
}

std::vector<uint8_t> MakePlainItemFromStream(const std::vector<uint8_t>& stream, uint32_t rawLength,
                                             uint32_t crcRaw, uint32_t extra)
{
    size_t stored = ((kPayloadHeaderSize + stream.size()) + 7) & ~(size_t)7;
    std::vector<uint8_t> plain(stored, 0);
    PayloadHeader h;
    h.storedSize = (uint32_t)stored;
    h.rawLength = rawLength;
    h.compressedLength = (uint32_t)stream.size();
    h.crcRaw = crcRaw;
    h.crcCompressed = Crc32(0, stream.empty() ? plain.data() : stream.data(), (uint32_t)stream.size());
    h.extra = extra;
    WritePayloadHeader(plain.data(), h);
    std::copy(stream.begin(), stream.end(), plain.begin() + kPayloadHeaderSize);
    return plain;
}

std::vector<uint8_t> MakePlainItem(const uint8_t* content, size_t length, uint32_t extra)
{
    static const uint8_t kNothing = 0;
    const uint8_t* data = length ? content : &kNothing;
    return MakePlainItemFromStream(DeflateRaw(data, length), (uint32_t)length,
                                   Crc32(0, data, (uint32_t)length), extra);
}

void EncryptBlocks(const uint8_t* key, int keyLength, std::vector<uint8_t>& bytes)
{
    CBlowfishCipher cipher;
    cipher.SetKey(key, keyLength);
    for (size_t b = 0; b + 8 <= bytes.size(); b += 8) {
        uint8_t* p = bytes.data() + b;
        uint32_t l = (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
        uint32_t r = (uint32_t)p[4] | (uint32_t)p[5] << 8 | (uint32_t)p[6] << 16 | (uint32_t)p[7] << 24;
        cipher.EncryptBlock(l, r);
        for (int i = 0; i < 4; ++i) {
            p[i] = (uint8_t)(l >> (8 * i));
            p[4 + i] = (uint8_t)(r >> (8 * i));
        }
    }
}

std::vector<uint8_t> BuildItem(const uint8_t* key, int keyLength, const uint8_t* content,
                               size_t length, uint32_t extra)
{
    std::vector<uint8_t> item = MakePlainItem(content, length, extra);
    EncryptBlocks(key, keyLength, item);
    return item;
}

void SetHeaderField(std::vector<uint8_t>& plain, int offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        plain[(size_t)offset + i] = (uint8_t)(value >> (8 * i));
}

uint32_t GetHeaderField(const std::vector<uint8_t>& plain, int offset)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | plain[(size_t)offset + i];
    return v;
}
