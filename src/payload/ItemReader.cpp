#include "ItemReader.h"

#include <stdlib.h>
#include <zlib.h>

#include "Blowfish.h"
#include "Crc32.h"

namespace {

uint32_t GetLE(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

void PutLE(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

// A DEFLATE code takes at least one bit and a match at most 258 bytes with its distance code
// taking another bit, so a stream can never expand more than 1032-fold; a rawLength beyond that
// is refused before its buffer is allocated.
const uint64_t kMaxExpansion = 1032;
const uint64_t kMaxMatch = 258;

// Inflates a raw DEFLATE stream into exactly `capacity` bytes. Returns the check that failed.
ItemCheck Inflate(const uint8_t* stream, uint32_t length, uint8_t* out, uint32_t capacity)
{
    z_stream z = {};
    if (inflateInit2(&z, -15) != Z_OK)
        return kItemNoMemory;
    z.next_in = (Bytef*)stream;
    z.avail_in = length;
    z.next_out = out;
    z.avail_out = capacity;
    int rc = inflate(&z, Z_FINISH);
    uint32_t produced = capacity - z.avail_out;
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return kItemDecode;
    return produced == capacity ? kItemOk : kItemLength;
}

// The checks on a decrypted item, in their order. `out` receives the content buffer as soon
// as it is allocated, also when a later check fails.
ItemCheck CheckPlainItem(const uint8_t* work, uint32_t storedSize, const PayloadHeader& h,
                         uint8_t*& out)
{
    if (h.storedSize != storedSize)
        return kItemStoredSize;
    if (h.compressedLength > storedSize - kPayloadHeaderSize)
        return kItemStreamBounds;
    const uint8_t* stream = work + kPayloadHeaderSize;
    if (Crc32(0, stream, h.compressedLength) != h.crcCompressed)
        return kItemCompressedCrc;
    // rawLength rounded down to even plus two: room for a terminator the content never uses.
    uint64_t outSize = ((uint64_t)h.rawLength / 2 + 1) * 2;
    if (outSize > 0xFFFFFFFFu || outSize > (uint64_t)(size_t)-1 ||
        h.rawLength > (uint64_t)h.compressedLength * kMaxExpansion + kMaxMatch)
        return kItemRawLength;
    out = (uint8_t*)malloc((size_t)outSize);
    if (!out)
        return kItemNoMemory;
    ItemCheck check = Inflate(stream, h.compressedLength, out, h.rawLength);
    if (check != kItemOk)
        return check;
    if (Crc32(0, out, h.rawLength) != h.crcRaw)
        return kItemContentCrc;
    return kItemOk;
}

} // namespace

void ReadPayloadHeader(const uint8_t* p, PayloadHeader& h)
{
    h.storedSize = GetLE(p);
    h.rawLength = GetLE(p + 4);
    h.compressedLength = GetLE(p + 8);
    h.crcRaw = GetLE(p + 12);
    h.crcCompressed = GetLE(p + 16);
    h.extra = GetLE(p + 20);
}

void WritePayloadHeader(uint8_t* p, const PayloadHeader& h)
{
    PutLE(p, h.storedSize);
    PutLE(p + 4, h.rawLength);
    PutLE(p + 8, h.compressedLength);
    PutLE(p + 12, h.crcRaw);
    PutLE(p + 16, h.crcCompressed);
    PutLE(p + 20, h.extra);
}

const char* ItemCheckName(ItemCheck check)
{
    switch (check) {
    case kItemOk: return "OK";
    case kItemNoKey: return "no key";
    case kItemSize: return "item size";
    case kItemNoMemory: return "out of memory";
    case kItemStoredSize: return "stored size";
    case kItemStreamBounds: return "stream bounds";
    case kItemCompressedCrc: return "compressed CRC";
    case kItemRawLength: return "raw length";
    case kItemDecode: return "decoding";
    case kItemLength: return "decoded length";
    case kItemContentCrc: return "content CRC";
    }
    return "unknown";
}

ItemCheck DecodeItem(const uint8_t* key, int keyLength, const uint8_t* item, uint32_t storedSize,
                     uint8_t** content, PayloadHeader* header)
{
    *content = nullptr;
    if (!key || keyLength < 1)
        return kItemNoKey;
    // Whole blocks of at least a header: anything else would make the decryption read past
    // the stored bytes or the header check read past the work buffer.
    if (!item || storedSize < kPayloadHeaderSize || storedSize % 8 != 0)
        return kItemSize;

    CBlowfishCipher cipher;
    cipher.SetKey(key, keyLength);
    uint8_t* work = (uint8_t*)malloc(storedSize);
    if (!work)
        return kItemNoMemory;
    cipher.Decrypt(item, work, storedSize);

    PayloadHeader h;
    ReadPayloadHeader(work, h);
    if (header)
        *header = h;
    uint8_t* out = nullptr;
    ItemCheck check = CheckPlainItem(work, storedSize, h, out);
    free(work);
    if (check != kItemOk) {
        free(out);
        return check;
    }
    *content = out;
    return kItemOk;
}
