#include "Blowfish.h"

#include <string.h>

namespace {

inline uint32_t LoadLE(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

inline void StoreLE(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

} // namespace

CBlowfishCipher::CBlowfishCipher()
{
}

// The expanded key is as good as the key itself: wipe it through a volatile pointer so the
// stores survive although the object dies right after.
CBlowfishCipher::~CBlowfishCipher()
{
    volatile uint32_t* p = m_p;
    for (int i = 0; i < 18; ++i)
        p[i] = 0;
    volatile uint32_t* s = &m_s[0][0];
    for (int i = 0; i < 4 * 256; ++i)
        s[i] = 0;
}

void CBlowfishCipher::SetKey(const uint8_t* key, int n)
{
    memcpy(m_p, BlowfishInitialTable, sizeof(m_p));
    memcpy(m_s, BlowfishInitialTable + 18, sizeof(m_s));
    if (!key || n < 1)
        return;
    int j = 0;
    for (int i = 0; i < 18; ++i) {
        uint32_t w = (uint32_t)key[j] << 24 | (uint32_t)key[(j + 1) % n] << 16 |
                     (uint32_t)key[(j + 2) % n] << 8 | (uint32_t)key[(j + 3) % n];
        m_p[i] ^= w;
        j = (j + 4) % n;
    }
    uint32_t l = 0;
    uint32_t r = 0;
    for (int i = 0; i < 18; i += 2) {
        EncryptBlock(l, r);
        m_p[i] = l;
        m_p[i + 1] = r;
    }
    uint32_t* s = &m_s[0][0];
    for (int k = 0; k < 4 * 256; k += 2) {
        EncryptBlock(l, r);
        s[k] = l;
        s[k + 1] = r;
    }
}

void CBlowfishCipher::EncryptBlock(uint32_t& left, uint32_t& right) const
{
    uint32_t l = left;
    uint32_t r = right;
    // Two rounds per step, so the halves trade roles without a swap.
    for (int i = 0; i < 16; i += 2) {
        l ^= m_p[i];
        r ^= F(l);
        r ^= m_p[i + 1];
        l ^= F(r);
    }
    left = r ^ m_p[17];
    right = l ^ m_p[16];
}

void CBlowfishCipher::DecryptBlock(uint32_t& left, uint32_t& right) const
{
    uint32_t l = left;
    uint32_t r = right;
    for (int i = 17; i > 1; i -= 2) {
        l ^= m_p[i];
        r ^= F(l);
        r ^= m_p[i - 1];
        l ^= F(r);
    }
    left = r ^ m_p[0];
    right = l ^ m_p[1];
}

void CBlowfishCipher::Decrypt(const uint8_t* in, uint8_t* out, uint32_t length) const
{
    if (length == 0)
        return;
    uint32_t blocks = ((length - 1) >> 3) + 1;
    // ECB leaves blocks independent: two at a time let the processor overlap the table
    // lookups of one with those of the other. Both halves are read before any byte is
    // written, so the in-place and the two-buffer forms are the same.
    uint32_t b = 0;
    for (; b + 2 <= blocks; b += 2) {
        const uint8_t* src = in + (size_t)b * 8;
        uint8_t* dst = out + (size_t)b * 8;
        uint32_t l1 = LoadLE(src), r1 = LoadLE(src + 4);
        uint32_t l2 = LoadLE(src + 8), r2 = LoadLE(src + 12);
        DecryptTwo(l1, r1, l2, r2);
        StoreLE(dst, l1);
        StoreLE(dst + 4, r1);
        StoreLE(dst + 8, l2);
        StoreLE(dst + 12, r2);
    }
    if (b < blocks) {
        const uint8_t* src = in + (size_t)b * 8;
        uint8_t* dst = out + (size_t)b * 8;
        uint32_t l = LoadLE(src), r = LoadLE(src + 4);
        DecryptBlock(l, r);
        StoreLE(dst, l);
        StoreLE(dst + 4, r);
    }
}

void CBlowfishCipher::DecryptTwo(uint32_t& l1, uint32_t& r1, uint32_t& l2, uint32_t& r2) const
{
    for (int i = 17; i > 1; i -= 2) {
        l1 ^= m_p[i];
        l2 ^= m_p[i];
        r1 ^= F(l1);
        r2 ^= F(l2);
        r1 ^= m_p[i - 1];
        r2 ^= m_p[i - 1];
        l1 ^= F(r1);
        l2 ^= F(r2);
    }
    uint32_t t1 = r1 ^ m_p[0], t2 = r2 ^ m_p[0];
    r1 = l1 ^ m_p[1];
    r2 = l2 ^ m_p[1];
    l1 = t1;
    l2 = t2;
}
