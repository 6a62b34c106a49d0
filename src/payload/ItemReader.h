// The payload item container and its reader.
//
//   stored item (storedSize bytes, a multiple of 8) = Blowfish-ECB(plain item)
//   plain item:
//     0  u32 storedSize         must equal the item's stored size (a wrong key fails here)
//     4  u32 rawLength          length of the content after inflating
//     8  u32 compressedLength   length of the raw DEFLATE stream at 24
//    12  u32 crcRaw             CRC-32 of the content
//    16  u32 crcCompressed      CRC-32 of the stream
//    20  u32 extra              handed back to the caller (a string table's entry count)
//    24  stream, then filler up to storedSize (never examined)
//
// All integers little-endian.
#pragma once

#include <stdint.h>

const uint32_t kPayloadHeaderSize = 24;

struct PayloadHeader
{
    uint32_t storedSize;
    uint32_t rawLength;
    uint32_t compressedLength;
    uint32_t crcRaw;
    uint32_t crcCompressed;
    uint32_t extra;
};

// Outcome of reading one item: success or the check that stopped it, in the order they run.
enum ItemCheck
{
    kItemOk = 0,
    kItemNoKey,            // no key to decrypt with
    kItemSize,             // null item, or a stored size below the header or not whole blocks
    kItemNoMemory,         // a buffer could not be allocated
    kItemStoredSize,       // header's storedSize differs from the stored size (wrong key)
    kItemStreamBounds,     // compressedLength reaches past the stored bytes
    kItemCompressedCrc,    // stream damaged
    kItemRawLength,        // rawLength no stream of that length can produce
    kItemDecode,           // the decoder failed or the stream did not end
    kItemLength,           // the stream ended after a count other than rawLength
    kItemContentCrc,       // content damaged
};

// A short name of a check for reports ("OK", "stored size", "compressed CRC", ...).
const char* ItemCheckName(ItemCheck check);

// Decrypts, checks and inflates one item with `key`. On kItemOk `*content` is a new buffer the
// caller frees with free(), holding header.rawLength bytes and at least one spare byte;
// otherwise `*content` is null and nothing stays allocated. `header` (optional) receives the
// decrypted header as soon as there is one, also when a later check fails.
ItemCheck DecodeItem(const uint8_t* key, int keyLength, const uint8_t* item, uint32_t storedSize,
                     uint8_t** content, PayloadHeader* header);

// The plain header's fields from / into 24 bytes.
void ReadPayloadHeader(const uint8_t* p, PayloadHeader& h);
void WritePayloadHeader(uint8_t* p, const PayloadHeader& h);
