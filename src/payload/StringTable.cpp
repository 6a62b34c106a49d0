#include "StringTable.h"

#include <stdlib.h>

StringTable::StringTable() : m_count(0), m_buffer(nullptr), m_index(nullptr), m_strings(nullptr)
{
}

StringTable::~StringTable()
{
    Release();
}

int StringTable::Init(uint8_t* buffer, int count)
{
    if (!buffer || count == 0)
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
        uint32_t entryId = m_index[mid].id;
        if (entryId == id)
            return m_strings + m_index[mid].offset;
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
