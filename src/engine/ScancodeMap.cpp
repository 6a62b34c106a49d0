#include "ScancodeMap.h"

#include <stdlib.h>

namespace {

const uint32_t kHeaderBytes = 12;
const uint16_t kSendsNothing = 0x00FF;

uint32_t GetU32(const uint8_t* at)
{
    return (uint32_t)at[0] | ((uint32_t)at[1] << 8) | ((uint32_t)at[2] << 16) |
           ((uint32_t)at[3] << 24);
}

void PutU32(uint8_t* at, uint32_t value)
{
    at[0] = (uint8_t)value;
    at[1] = (uint8_t)(value >> 8);
    at[2] = (uint8_t)(value >> 16);
    at[3] = (uint8_t)(value >> 24);
}

} // namespace

int ApplyScancodeMap(KeyMapEntry* rows, int count, const uint8_t* value, uint32_t size,
                     uint32_t*& others, int& otherCount)
{
    others = nullptr;
    otherCount = 0;
    if (!rows || count <= 0 || !value || size < 16)
        return 0;
    uint32_t entries = GetU32(value + 8);
    // The size the count claims, in 64 bits: a hostile count must not wrap around to a small
    // size and send the loop past the value's end.
    if (entries < 2 || kHeaderBytes + 4 * (uint64_t)entries > size)
        return 0;
    uint32_t mappings = entries - 1;

    uint32_t* kept = nullptr;
    int keptCount = 0;
    for (uint32_t i = 0; i < mappings; ++i) {
        uint32_t entry = GetU32(value + kHeaderBytes + 4 * i);
        uint16_t sends = (uint16_t)(entry & 0xFFFF);
        uint16_t physical = (uint16_t)(entry >> 16);
        KeyMapEntry* row = FindKey(rows, count, physical);
        if (row) {
            row->scanRemap = sends ? sends : kSendsNothing;
            continue;
        }
        if (!kept) {
            // Room for every remaining mapping; the count is bounded by the value's size.
            kept = (uint32_t*)malloc(sizeof(uint32_t) * (mappings - i));
            if (!kept)
                continue;   // without memory the foreign entries cannot be kept
        }
        kept[keptCount++] = entry;
    }
    NormaliseKeyMap(rows, count);
    if (keptCount) {
        others = kept;
        otherCount = keptCount;
    } else {
        free(kept);
    }
    return 1;
}

int CountScancodeMappings(const KeyMapEntry* rows, int count, int otherCount)
{
    int mappings = otherCount > 0 ? otherCount : 0;
    if (!rows)
        return mappings;
    for (int i = 0; i < count && rows[i].scanCode; ++i) {
        if (rows[i].scanRemap)
            ++mappings;
    }
    return mappings;
}

uint8_t* BuildScancodeMap(const KeyMapEntry* rows, int count, const uint32_t* others,
                          int otherCount, uint32_t& byteCount)
{
    byteCount = 0;
    if (!others)
        otherCount = 0;
    int mappings = CountScancodeMappings(rows, count, otherCount);
    uint32_t size = 16 + 4 * (uint32_t)mappings;
    uint8_t* value = (uint8_t*)calloc(size, 1);
    if (!value)
        return nullptr;
    PutU32(value + 8, (uint32_t)mappings + 1);
    uint8_t* at = value + kHeaderBytes;
    for (int i = 0; rows && i < count && rows[i].scanCode; ++i) {
        uint16_t sends = rows[i].scanRemap;
        if (!sends)
            continue;
        if (sends == kSendsNothing)
            sends = 0;
        PutU32(at, ((uint32_t)rows[i].scanCode << 16) | sends);
        at += 4;
    }
    for (int i = 0; i < otherCount; ++i) {
        PutU32(at, others[i]);
        at += 4;
    }
    byteCount = size;
    return value;
}
