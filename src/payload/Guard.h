// CGuard holds the unscrambled key block for as long as payload items may be read and wipes
// it before the memory is freed.
#pragma once

#include <stdint.h>

class CGuard
{
public:
    CGuard();
    virtual ~CGuard();

    int Load(const uint8_t* block, int length);
    // Decrypts, checks and inflates one payload item; null when nothing is loaded or a check
    // fails. On success `size` becomes the raw length and the caller owns the buffer (free()).
    uint8_t* ReadItem(const uint8_t* item, uint32_t& size, uint32_t* extra);
    void Clear();
    void MoveBytes(int to, int from, int count);
    void XorBytes(int start, int count, int bytePos);

    const uint8_t* Data() const { return m_data; }
    int BlockSize() const { return m_size; }
    // The key window of the unscrambled block; null when nothing is loaded.
    const uint8_t* Key() const { return m_data ? m_data + m_keyOffset : nullptr; }
    int KeyLength() const { return m_keyLength; }

private:
    CGuard(const CGuard&) = delete;
    CGuard& operator=(const CGuard&) = delete;

    uint8_t* m_data;
    const int32_t m_size;
    const int32_t m_keyOffset;
    const int32_t m_keyLength;
    const int32_t m_move1From;
    const int32_t m_move1To;
    const int32_t m_move1Count;
    const int32_t m_move2From;
    const int32_t m_move2To;
    const int32_t m_move2Count;
    const int32_t m_xorBytePos;
    const int32_t m_xorStart;
    const int32_t m_xorCount;
};
