#include "KeyBlockMaker.h"

#include <algorithm>

#include "payload/Guard.h"

namespace {

// Where each byte of the unscrambled block comes from, learnt from the guard itself by loading
// marked blocks: the position in the scrambled block it is copied from, and whether it is
// XORed with the mask byte.
struct SourceMap
{
    std::vector<int> from;
    std::vector<bool> masked;
    int maskPos;
};

bool LearnSourceMap(SourceMap& map, std::string& error)
{
    CGuard guard;
    const int n = guard.BlockSize();
    map.from.assign((size_t)n, -1);
    map.masked.assign((size_t)n, false);

    // The mask position: the one byte whose value turns into a change of many others.
    std::vector<uint8_t> zero((size_t)n, 0);
    map.maskPos = -1;
    for (int candidate = 0; candidate < n && map.maskPos < 0; ++candidate) {
        std::vector<uint8_t> probe = zero;
        probe[(size_t)candidate] = 0xFF;
        if (!guard.Load(probe.data(), n)) {
            error = "the guard refuses a block of its own size";
            return false;
        }
        int changed = 0;
        for (int i = 0; i < n; ++i)
            changed += guard.Data()[i] != 0;
        if (changed > 2 * n / 10)
            map.maskPos = candidate;
    }
    if (map.maskPos < 0) {
        error = "no mask byte found";
        return false;
    }

    // With the mask byte zero nothing is XORed: tag every other position with its number
    // plus one (low byte, then high byte); a tag of 0 then names the mask position.
    std::vector<uint8_t> lo((size_t)n), hi((size_t)n);
    for (int i = 0; i < n; ++i) {
        lo[(size_t)i] = (uint8_t)(i + 1);
        hi[(size_t)i] = (uint8_t)((i + 1) >> 8);
    }
    lo[(size_t)map.maskPos] = 0;
    hi[(size_t)map.maskPos] = 0;
    std::vector<uint8_t> loOut((size_t)n), hiOut((size_t)n);
    guard.Load(lo.data(), n);
    loOut.assign(guard.Data(), guard.Data() + n);
    guard.Load(hi.data(), n);
    hiOut.assign(guard.Data(), guard.Data() + n);
    // Then only the mask byte set: a byte reads 1 where it is masked or is the mask byte.
    std::vector<uint8_t> one((size_t)n, 0);
    one[(size_t)map.maskPos] = 1;
    guard.Load(one.data(), n);
    for (int i = 0; i < n; ++i) {
        int tag = loOut[(size_t)i] | hiOut[(size_t)i] << 8;
        map.from[(size_t)i] = tag == 0 ? map.maskPos : tag - 1;
        bool fromMask = map.from[(size_t)i] == map.maskPos;
        map.masked[(size_t)i] = (guard.Data()[i] ^ (fromMask ? 1 : 0)) != 0;
    }
    guard.Clear();
    return true;
}

} // namespace

CByteSource::CByteSource() : m_seeded(false)
{
}

CByteSource::CByteSource(uint64_t seed) : m_seeded(true), m_generator(seed)
{
}

uint8_t CByteSource::Next()
{
    return m_seeded ? (uint8_t)(m_generator() >> 56) : (uint8_t)m_device();
}

std::vector<uint8_t> KeyOfBlock(const std::vector<uint8_t>& block)
{
    CGuard guard;
    if (!guard.Load(block.data(), (int)block.size()))
        return std::vector<uint8_t>();
    return std::vector<uint8_t>(guard.Key(), guard.Key() + guard.KeyLength());
}

bool MakeKeyBlock(CByteSource& random, std::vector<uint8_t>& block, std::vector<uint8_t>& key,
                  std::string& error)
{
    SourceMap map;
    if (!LearnSourceMap(map, error))
        return false;
    const size_t n = map.from.size();

    // Choose the unscrambled block byte by byte and put each byte back where the steps take it
    // from. The steps copy some bytes to two places: such a byte follows its earlier copy.
    std::vector<uint8_t> plain(n);
    std::vector<bool> fixed(n, false);
    block.assign(n, 0);
    uint8_t mask = random.Next();
    block[(size_t)map.maskPos] = mask;
    fixed[(size_t)map.maskPos] = true;
    for (size_t i = 0; i < n; ++i) {
        size_t src = (size_t)map.from[i];
        uint8_t m = map.masked[i] ? mask : 0;
        if (fixed[src]) {
            plain[i] = block[src] ^ m;
        } else {
            plain[i] = random.Next();
            block[src] = plain[i] ^ m;
            fixed[src] = true;
        }
    }
    // Bytes no step reads back: filler.
    for (size_t i = 0; i < n; ++i)
        if (!fixed[i])
            block[i] = random.Next();

    CGuard guard;
    if (!guard.Load(block.data(), (int)n) ||
        !std::equal(plain.begin(), plain.end(), guard.Data())) {
        error = "the key block does not unscramble to the block it was made from";
        return false;
    }
    key.assign(guard.Key(), guard.Key() + guard.KeyLength());
    return true;
}
