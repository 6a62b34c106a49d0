#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "KeyBlockMaker.h"
#include "PayloadTestUtil.h"
#include "payload/Guard.h"

// Natively the test program is linked with --wrap=free: every free() of the payload code goes
// through here first, so a test can see what a block held at the moment it was freed.
#ifdef PAYLOAD_TESTS_WRAP_FREE
extern "C" void __real_free(void* p);

namespace {
const void* g_watched = nullptr;
size_t g_watchedSize = 0;
int g_watchedFreed = 0;
bool g_watchedWasZero = false;
} // namespace

extern "C" void __wrap_free(void* p)
{
    if (p && p == g_watched) {
        const uint8_t* b = (const uint8_t*)p;
        g_watchedWasZero = true;
        for (size_t i = 0; i < g_watchedSize; ++i)
            g_watchedWasZero = g_watchedWasZero && b[i] == 0;
        ++g_watchedFreed;
        g_watched = nullptr;
    }
    __real_free(p);
}
#endif

namespace {

const int kBlock = 968;

// Copies n bytes within b as memmove does.
void Move(std::vector<uint8_t>& b, int to, int from, int n)
{
    std::vector<uint8_t> bytes(b.begin() + from, b.begin() + from + n);
    for (int i = 0; i < n; ++i)
        b[(size_t)(to + i)] = bytes[(size_t)i];
}

// The unscrambling worked out independently of the guard: 65 bytes 240 -> 414, then 205 bytes
// 637 -> 395, then the 454 bytes from 104 XORed with the byte at 42.
std::vector<uint8_t> Unscramble(std::vector<uint8_t> b)
{
    Move(b, 414, 240, 65);
    Move(b, 395, 637, 205);
    uint8_t mask = b[42];
    for (int i = 104; i < 104 + 454; ++i)
        b[(size_t)i] ^= mask;
    return b;
}

std::vector<uint8_t> Loaded(const CGuard& g)
{
    return std::vector<uint8_t>(g.Data(), g.Data() + kBlock);
}

} // namespace

TEST(KeyGuard, LoadUnscramblesInItsThreeSteps)
{
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        std::vector<uint8_t> block = RandomBytes(kBlock, seed);
        CGuard g;
        ASSERT_TRUE(g.Load(block.data(), kBlock));
        EXPECT_EQ(Loaded(g), Unscramble(block)) << "seed " << seed;
        EXPECT_EQ(g.Key(), g.Data() + 352);
        EXPECT_EQ(g.KeyLength(), 495);
    }
}

// The mask is the byte at 42 after both moves; with a mask of zero the XOR changes nothing,
// so the moves alone show.
TEST(KeyGuard, ZeroMaskLeavesOnlyTheMoves)
{
    std::vector<uint8_t> block(kBlock);
    for (int i = 0; i < kBlock; ++i)
        block[(size_t)i] = (uint8_t)(i * 7 + 1);
    block[42] = 0;
    CGuard g;
    ASSERT_TRUE(g.Load(block.data(), kBlock));
    std::vector<uint8_t> expected = block;
    Move(expected, 414, 240, 65);
    Move(expected, 395, 637, 205);
    EXPECT_EQ(Loaded(g), expected);
}

TEST(KeyGuard, LoadRefusesWrongLengthsAndNull)
{
    std::vector<uint8_t> block = RandomBytes(kBlock + 1, 5);
    const int lengths[] = {0, 1, 967, 969, -968};
    for (int length : lengths) {
        CGuard g;
        EXPECT_FALSE(g.Load(block.data(), length)) << length;
        EXPECT_EQ(g.Data(), nullptr) << length;
        uint32_t size = 64;
        uint8_t item[64] = {};
        EXPECT_EQ(g.ReadItem(item, size, nullptr), nullptr) << length;
        EXPECT_EQ(size, 64u);
    }
    CGuard g;
    EXPECT_FALSE(g.Load(nullptr, kBlock));
    EXPECT_EQ(g.Data(), nullptr);
}

// A failed load also drops what was loaded before.
TEST(KeyGuard, FailedLoadLeavesGuardEmpty)
{
    std::vector<uint8_t> block = RandomBytes(kBlock, 9);
    CGuard g;
    ASSERT_TRUE(g.Load(block.data(), kBlock));
    EXPECT_FALSE(g.Load(block.data(), 967));
    EXPECT_EQ(g.Data(), nullptr);
}

TEST(KeyGuard, ClearEmptiesAndIsHarmlessTwice)
{
    std::vector<uint8_t> block = RandomBytes(kBlock, 11);
    CGuard g;
    g.Clear();
    EXPECT_EQ(g.Data(), nullptr);
    ASSERT_TRUE(g.Load(block.data(), kBlock));
    g.Clear();
    EXPECT_EQ(g.Data(), nullptr);
    EXPECT_EQ(g.Key(), nullptr);
    g.Clear();
    EXPECT_EQ(g.Data(), nullptr);
}

#ifdef PAYLOAD_TESTS_WRAP_FREE
// The zero-fill must reach memory although free() follows at once (an optimiser may drop a
// plain memset there): watched through the free() wrapper.
TEST(KeyGuard, ClearWipesBlockBeforeFree)
{
    std::vector<uint8_t> block = RandomBytes(kBlock, 13);
    CGuard g;
    ASSERT_TRUE(g.Load(block.data(), kBlock));
    g_watched = g.Data();
    g_watchedSize = kBlock;
    g_watchedFreed = 0;
    g.Clear();
    EXPECT_EQ(g_watchedFreed, 1);
    EXPECT_TRUE(g_watchedWasZero);
}

TEST(KeyGuard, SecondLoadWipesFirstCopy)
{
    std::vector<uint8_t> block = RandomBytes(kBlock, 17);
    CGuard g;
    ASSERT_TRUE(g.Load(block.data(), kBlock));
    g_watched = g.Data();
    g_watchedSize = kBlock;
    g_watchedFreed = 0;
    ASSERT_TRUE(g.Load(block.data(), kBlock));
    EXPECT_EQ(g_watchedFreed, 1);
    EXPECT_TRUE(g_watchedWasZero);
}

TEST(KeyGuard, DestructorWipesBlock)
{
    std::vector<uint8_t> block = RandomBytes(kBlock, 19);
    {
        CGuard g;
        ASSERT_TRUE(g.Load(block.data(), kBlock));
        g_watched = g.Data();
        g_watchedSize = kBlock;
        g_watchedFreed = 0;
    }
    EXPECT_EQ(g_watchedFreed, 1);
    EXPECT_TRUE(g_watchedWasZero);
}
#endif

// MoveBytes copies like memmove in both directions, limits the count at the block's end and
// ignores positions outside the block.
TEST(KeyGuard, MoveBytesCopiesOverlappingRanges)
{
    struct Case
    {
        int to, from, count;
    };
    const Case cases[] = {
        {10, 5, 20},     // to > from, overlapping: copied from the end backwards
        {5, 10, 20},     // to < from, overlapping
        {100, 0, 50},    // apart
        {0, 0, 10},      // onto itself
        {960, 0, 20},    // limited at the end of the destination
        {0, 950, 40},    // limited at the end of the source
        {-1, 0, 4},      // ignored
        {0, 968, 4},     // ignored
        {968, 0, 4},     // ignored
        {3, 1, 0},       // nothing to do
    };
    std::vector<uint8_t> block = RandomBytes(kBlock, 23);
    for (const Case& c : cases) {
        CGuard g;
        ASSERT_TRUE(g.Load(block.data(), kBlock));
        std::vector<uint8_t> expected = Loaded(g);
        bool inside = c.to >= 0 && c.to < kBlock && c.from >= 0 && c.from < kBlock;
        if (inside && c.count > 0) {
            int n = c.count;
            n = std::min(n, kBlock - std::max(c.to, c.from));
            Move(expected, c.to, c.from, n);
        }
        g.MoveBytes(c.to, c.from, c.count);
        EXPECT_EQ(Loaded(g), expected) << "to " << c.to << " from " << c.from << " count " << c.count;
    }
}

// The mask is read once, before any byte changes, even when its own byte is in the range.
TEST(KeyGuard, XorBytesReadsMaskOnce)
{
    struct Case
    {
        int start, count, bytePos;
    };
    const Case cases[] = {
        {10, 20, 15},    // mask byte inside the range
        {10, 20, 500},
        {960, 20, 0},    // limited at the end
        {-1, 5, 0},      // ignored
        {0, 5, 968},     // ignored
    };
    std::vector<uint8_t> block = RandomBytes(kBlock, 29);
    for (const Case& c : cases) {
        CGuard g;
        ASSERT_TRUE(g.Load(block.data(), kBlock));
        std::vector<uint8_t> expected = Loaded(g);
        if (c.start >= 0 && c.start < kBlock && c.bytePos >= 0 && c.bytePos < kBlock) {
            uint8_t mask = expected[(size_t)c.bytePos];
            for (int i = c.start; i < std::min(kBlock, c.start + c.count); ++i)
                expected[(size_t)i] ^= mask;
        }
        g.XorBytes(c.start, c.count, c.bytePos);
        EXPECT_EQ(Loaded(g), expected) << "start " << c.start << " mask at " << c.bytePos;
    }
}

// The packer's key blocks: each unscrambles to the key it was made for, and a seed makes the
// same block every time.
TEST(KeyGuard, MadeKeyBlocksGiveTheirKeys)
{
    std::vector<std::vector<uint8_t>> seen;
    for (uint64_t seed = 1; seed <= 16; ++seed) {
        CByteSource random(seed);
        std::vector<uint8_t> block, key;
        std::string error;
        ASSERT_TRUE(MakeKeyBlock(random, block, key, error)) << error;
        ASSERT_EQ(block.size(), (size_t)kBlock);
        ASSERT_EQ(key.size(), 495u);
        CGuard g;
        ASSERT_TRUE(g.Load(block.data(), kBlock));
        EXPECT_EQ(std::vector<uint8_t>(g.Key(), g.Key() + 495), key);
        EXPECT_EQ(KeyOfBlock(block), key);
        for (const auto& other : seen)
            EXPECT_NE(other, block);
        seen.push_back(block);

        CByteSource again(seed);
        std::vector<uint8_t> block2, key2;
        ASSERT_TRUE(MakeKeyBlock(again, block2, key2, error));
        EXPECT_EQ(block2, block);
    }
}
