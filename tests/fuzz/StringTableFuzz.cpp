// A string table from hostile bytes: a fuzzed entry count and buffer, then lookups of fuzzed
// ids and of every id the index names. Input: u32 count, u8 n, n u32 ids, the buffer.
#include <stdlib.h>
#include <string.h>

#include "payload/StringTable.h"
#include "text/GString.h"

namespace {

uint32_t GetLE(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// A found record lies inside the buffer, and the string class can take it.
void Use(const void* record, const uint8_t* buffer, size_t length)
{
    const uint8_t* r = (const uint8_t*)record;
    if (r < buffer || r + 4 > buffer + length)
        abort();
    GString s;
    s.AssignCounted(record);
    s.GetWide();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    int count = (int)GetLE(data);
    size_t lookups = data[4];
    size_t at = 5;
    if (size < at + lookups * 4)
        return 0;
    const uint8_t* ids = data + at;
    at += lookups * 4;
    size_t length = size - at;

    // An exact-size copy: ASan sees any read past the table.
    uint8_t* buffer = (uint8_t*)malloc(length ? length : 1);
    if (length)
        memcpy(buffer, data + at, length);
    StringTable table;
    if (!table.Init(buffer, count, (uint32_t)length)) {
        free(buffer);
        return 0;
    }
    for (size_t i = 0; i < lookups; ++i) {
        const void* record = table.Find(GetLE(ids + i * 4));
        if (record)
            Use(record, buffer, length);
    }
    // An accepted table finds every id its index names.
    for (int i = 0; i < count; ++i) {
        const void* record = table.Find(GetLE(buffer + (size_t)i * 8));
        if (!record)
            abort();
        Use(record, buffer, length);
    }
    return 0;
}
