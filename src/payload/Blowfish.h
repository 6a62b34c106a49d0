// CBlowfishCipher: Blowfish with 16 rounds on 64-bit blocks, ECB, where each 32-bit half of a
// block is read from and written back to its four bytes as a little-endian integer.
#pragma once

#include <stdint.h>

const int kBlowfishTableWords = 18 + 4 * 256;
// P-array first, then S0..S3: the hexadecimal digits of pi's fractional part.
extern const uint32_t BlowfishInitialTable[kBlowfishTableWords];

class CBlowfishCipher
{
public:
    CBlowfishCipher();
    ~CBlowfishCipher();

    // The key schedule; n must be at least 1. Only the first 72 key bytes take part.
    void SetKey(const uint8_t* key, int n);
    void EncryptBlock(uint32_t& l, uint32_t& r) const;
    void DecryptBlock(uint32_t& l, uint32_t& r) const;
    // ECB decryption of PaddedLength(length) bytes; `in` may equal `out`, else it is not written.
    void Decrypt(const uint8_t* in, uint8_t* out, uint32_t length) const;

    static uint32_t PaddedLength(uint32_t n) { return (n + 7) & ~7u; }

private:
    CBlowfishCipher(const CBlowfishCipher&) = delete;
    CBlowfishCipher& operator=(const CBlowfishCipher&) = delete;

    // DecryptBlock on two blocks at once.
    void DecryptTwo(uint32_t& l1, uint32_t& r1, uint32_t& l2, uint32_t& r2) const;

    uint32_t F(uint32_t x) const
    {
        return ((m_s[0][x >> 24] + m_s[1][(x >> 16) & 0xFF]) ^ m_s[2][(x >> 8) & 0xFF]) +
               m_s[3][x & 0xFF];
    }

    // Fixed-size members rather than two heap blocks: one cipher lives on the reader's stack
    // for each item, and the tables are wiped when it goes.
    uint32_t m_p[18];
    uint32_t m_s[4][256];
};
