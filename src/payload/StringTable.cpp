#include "StringTable.h"

#include <stdlib.h>

namespace {

uint32_t GetLE(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

} // namespace

StringTable::StringTable() : m_count(0), m_buffer(nullptr), m_index(nullptr), m_strings(nullptr)
{
}

StringTable::~StringTable()
{
    Release();
}

// Checked once here so that Find and the readers of its records never need a bound: a table
// whose offsets or lengths point outside its buffer is refused as a whole.
int StringTable::IsValid(const uint8_t* buffer, int count, uint32_t length)
{
    if (!buffer || count <= 0)
        return 0;
    uint64_t indexBytes = (uint64_t)count * 8;
    if (indexBytes > length)
        return 0;
    const uint8_t* strings = buffer + indexBytes;
    uint64_t area = length - indexBytes;
    uint32_t previous = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t id = GetLE(buffer + (size_t)i * 8);
        uint32_t offset = GetLE(buffer + (size_t)i * 8 + 4);
        // Strictly ascending: the binary search would silently miss entries otherwise.
        if (i > 0 && id <= previous)
            return 0;
        previous = id;
        if ((uint64_t)offset + 4 > area)
            return 0;
        uint32_t header = GetLE(strings + offset);
        uint64_t units = header & 0x1FFFFFFFu;
        uint64_t bytes = (header & 0x80000000u) ? units : units * 2;
        if ((uint64_t)offset + 4 + bytes > area)
            return 0;
    }
    return 1;
}

int StringTable::Init(uint8_t* buffer, int count, uint32_t length)
{
    if (!buffer || count == 0)
        return 0;
    if (!IsValid(buffer, count, length))
        return 0;
    Release();
    m_count = count;
    m_buffer = buffer;
    m_index = (const StringIndexEntry*)buffer;
    m_strings = buffer + (size_t)count * 8;
    return 1;
}

const void* StringTable::Find(StringId id) const
{
    if (!m_index || !m_strings)
        return nullptr;
    int lo = 0;
    int hi = m_count - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        uint32_t entryId = GetLE((const uint8_t*)&m_index[mid].id);
        if (entryId == id)
            return m_strings + GetLE((const uint8_t*)&m_index[mid].offset);
        if (entryId < id)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return nullptr;
}

void StringTable::Release()
{
    free(m_buffer);
    m_count = 0;
    m_buffer = nullptr;
    m_index = nullptr;
    m_strings = nullptr;
}
