// A decoded string-table item: `count` index entries {u32 StringId, u32 offset} sorted by id,
// then the string area of counted text records the offsets point into.
//
//   counted text record: u32 header, then the text
//     bit 31 set: UTF-8, low 29 bits the length in bytes
//     bit 31 clear: UTF-16LE, low 29 bits the length in 16-bit units
//     bits 29 and 30 are ignored; no terminator is required or read
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

    // Takes ownership of a buffer of `length` bytes from ReadItem (freed with free()) once it
    // has checked the whole table. On failure the caller still owns the buffer and the table
    // keeps what it held.
    int Init(uint8_t* buffer, int count, uint32_t length);
    const void* Find(StringId id) const;
    void Release();

    int Count() const { return m_count; }

    // Whether `count` entries over `length` bytes form a table that lookups can trust: ids
    // strictly ascending and every record, header and text, inside the string area.
    static int IsValid(const uint8_t* buffer, int count, uint32_t length);

private:
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    int32_t m_count;
    uint8_t* m_buffer;
    const StringIndexEntry* m_index;
    uint8_t* m_strings;
};
