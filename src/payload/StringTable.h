// A decoded string-table item: `count` index entries {u32 StringId, u32 offset} sorted by id,
// then the string area of counted text records the offsets point into.
#pragma once

#include <stdint.h>

typedef uint32_t StringId;

struct StringIndexEntry
{
    uint32_t id;
    uint32_t offset;
};

class StringTable
{
public:
    StringTable();
    ~StringTable();

    // Takes ownership of a buffer from ReadItem (freed with free()).
    int Init(uint8_t* buffer, int count);
    const void* Find(StringId id) const;
    void Release();

private:
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    int32_t m_count;
    uint8_t* m_buffer;
    const StringIndexEntry* m_index;
    uint8_t* m_strings;
};
