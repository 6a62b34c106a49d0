#include "Guard.h"

#include <stdlib.h>

#include "ItemReader.h"

namespace {

// Zero-fill through a volatile pointer: the block is freed right after, and a plain memset
// before free() is a dead store an optimising build may drop.
void Wipe(uint8_t* p, int n)
{
    volatile uint8_t* v = p;
    for (int i = 0; i < n; ++i)
        v[i] = 0;
}

} // namespace

CGuard::CGuard()
    : m_data(nullptr), m_size(968), m_keyOffset(352), m_keyLength(495), m_move1From(240),
      m_move1To(414), m_move1Count(65), m_move2From(637), m_move2To(395), m_move2Count(205),
      m_xorBytePos(42), m_xorStart(104), m_xorCount(454)
{
}

CGuard::~CGuard()
{
    Clear();
}

int CGuard::Load(const uint8_t* block, int length)
{
    Clear();
    if (!block || length == 0 || length != m_size)
        return 0;
    m_data = (uint8_t*)malloc((size_t)m_size);
    if (!m_data)
        return 0;
    for (int i = 0; i < m_size; ++i)
        m_data[i] = block[i];
    MoveBytes(m_move1To, m_move1From, m_move1Count);
    MoveBytes(m_move2To, m_move2From, m_move2Count);
    XorBytes(m_xorStart, m_xorCount, m_xorBytePos);
    return 1;
}

void CGuard::Clear()
{
    if (!m_data)
        return;
    if (m_size != 0)
        Wipe(m_data, m_size);
    free(m_data);
    m_data = nullptr;
}

void CGuard::MoveBytes(int to, int from, int count)
{
    if (!m_data || to < 0 || to >= m_size || from < 0 || from >= m_size || count <= 0)
        return;
    if (to < from) {
        if (count > m_size - from)
            count = m_size - from;
        for (int i = 0; i < count; ++i)
            m_data[to + i] = m_data[from + i];
    } else {
        if (count > m_size - to)
            count = m_size - to;
        for (int i = count - 1; i >= 0; --i)
            m_data[to + i] = m_data[from + i];
    }
}

void CGuard::XorBytes(int start, int count, int bytePos)
{
    if (!m_data || start < 0 || start >= m_size || bytePos < 0 || bytePos >= m_size || count <= 0)
        return;
    const uint8_t mask = m_data[bytePos];
    if (count > m_size - start)
        count = m_size - start;
    for (int i = 0; i < count; ++i)
        m_data[start + i] ^= mask;
}

uint8_t* CGuard::ReadItem(const uint8_t* item, uint32_t& size, uint32_t* extra)
{
    if (!m_data)
        return nullptr;
    uint8_t* content = nullptr;
    PayloadHeader header;
    if (DecodeItem(m_data + m_keyOffset, m_keyLength, item, size, &content, &header) != kItemOk)
        return nullptr;
    if (extra)
        *extra = header.extra;
    size = header.rawLength;
    return content;
}
