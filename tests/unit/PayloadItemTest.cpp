#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "ItemBuilder.h"
#include "KeyBlockMaker.h"
#include "PayloadTestUtil.h"
#include "payload/Crc32.h"
#include "payload/Guard.h"
#include "payload/ItemReader.h"
#include "payload/TextContent.h"
#include "text/GString.h"

namespace {

// A guard loaded with a key block made by the packer, as the installer has it at run time.
class PayloadItem : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CByteSource random(42);
        std::string error;
        ASSERT_TRUE(MakeKeyBlock(random, m_block, m_key, error)) << error;
        ASSERT_TRUE(m_guard.Load(m_block.data(), (int)m_block.size()));
    }

    std::vector<uint8_t> Encrypt(std::vector<uint8_t> plain) const
    {
        EncryptBlocks(m_key.data(), (int)m_key.size(), plain);
        return plain;
    }

    ItemCheck Decode(const std::vector<uint8_t>& stored, std::vector<uint8_t>* content = nullptr,
                     PayloadHeader* header = nullptr) const
    {
        uint8_t* out = nullptr;
        PayloadHeader h;
        ItemCheck check = DecodeItem(m_key.data(), (int)m_key.size(), stored.data(),
                                     (uint32_t)stored.size(), &out, &h);
        if (check == kItemOk && content)
            content->assign(out, out + h.rawLength);
        if (header)
            *header = h;
        free(out);
        return check;
    }

    std::vector<uint8_t> m_block;
    std::vector<uint8_t> m_key;
    CGuard m_guard;
};

// Bit-by-bit CRC-32, the definition itself, to check the table-driven one against.
uint32_t ReferenceCrc(const std::vector<uint8_t>& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::vector<uint8_t> Bytes(const char* s)
{
    return std::vector<uint8_t>(s, s + strlen(s));
}

} // namespace

TEST_F(PayloadItem, RoundTripsThroughReadItem)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> content;
        uint32_t extra;
    };
    const Case cases[] = {
        {"empty", {}, 0},
        {"one byte", {0x41}, 1},
        {"seven bytes", Bytes("abcdefg"), 7},
        {"eight bytes", Bytes("abcdefgh"), 0xFFFFFFFFu},
        {"random", RandomBytes(5000, 1), 12345},
        {"prose", ProseBytes(300000, 2), 77},
        {"zeros", std::vector<uint8_t>(1 << 20, 0), 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> stored = BuildItem(m_key.data(), (int)m_key.size(), c.content.data(),
                                                c.content.size(), c.extra);
        ASSERT_EQ(stored.size() % 8, 0u) << c.what;
        uint32_t size = (uint32_t)stored.size();
        uint32_t extra = 0xDEADBEEF;
        uint8_t* out = m_guard.ReadItem(stored.data(), size, &extra);
        ASSERT_NE(out, nullptr) << c.what;
        EXPECT_EQ(size, c.content.size()) << c.what;
        EXPECT_EQ(extra, c.extra) << c.what;
        EXPECT_TRUE(std::equal(c.content.begin(), c.content.end(), out)) << c.what;
        free(out);

        size = (uint32_t)stored.size();
        out = m_guard.ReadItem(stored.data(), size, nullptr);
        EXPECT_NE(out, nullptr) << c.what << " without extra";
        free(out);
    }
}

// Each kind of damage is caught by its own check, in the order the checks run.
TEST_F(PayloadItem, EachFailureStopsAtItsOwnCheck)
{
    const std::vector<uint8_t> content = ProseBytes(20000, 3);
    const std::vector<uint8_t> good = MakePlainItem(content.data(), content.size(), 9);
    const uint32_t compressed = GetHeaderField(good, 8);
    const uint32_t rawLength = GetHeaderField(good, 4);

    struct Case
    {
        const char* what;
        std::vector<uint8_t> stored;
        ItemCheck expected;
    };
    std::vector<Case> cases;
    cases.push_back({"intact", Encrypt(good), kItemOk});
    {
        std::vector<uint8_t> wrongKey = good;
        std::vector<uint8_t> key = m_key;
        key[0] ^= 1;
        EncryptBlocks(key.data(), (int)key.size(), wrongKey);
        cases.push_back({"wrong key", wrongKey, kItemStoredSize});
    }
    {
        std::vector<uint8_t> p = good;
        SetHeaderField(p, 0, (uint32_t)p.size() + 8);
        cases.push_back({"storedSize field differs", Encrypt(p), kItemStoredSize});
    }
    {
        std::vector<uint8_t> p = good;
        SetHeaderField(p, 8, (uint32_t)p.size() - 24 + 1);
        cases.push_back({"stream longer than the item", Encrypt(p), kItemStreamBounds});
        SetHeaderField(p, 8, 0xFFFFFFF0u);
        cases.push_back({"stream length near 4 GB", Encrypt(p), kItemStreamBounds});
    }
    {
        std::vector<uint8_t> p = good;
        p[24 + compressed / 2] ^= 0x10;
        cases.push_back({"flipped compressed byte", Encrypt(p), kItemCompressedCrc});
    }
    {
        std::vector<uint8_t> p = good;
        SetHeaderField(p, 4, 0x7FFFFFFFu);
        cases.push_back({"raw length no stream can reach", Encrypt(p), kItemRawLength});
    }
    {
        std::vector<uint8_t> p = good;
        SetHeaderField(p, 4, rawLength + 1);
        cases.push_back({"raw length one too large", Encrypt(p), kItemLength});
        SetHeaderField(p, 4, rawLength - 1);
        cases.push_back({"raw length one too small", Encrypt(p), kItemDecode});
    }
    {
        std::vector<uint8_t> stream(good.begin() + 24, good.begin() + 24 + compressed - 1);
        std::vector<uint8_t> p = MakePlainItemFromStream(stream, rawLength, GetHeaderField(good, 12), 9);
        cases.push_back({"truncated stream", Encrypt(p), kItemDecode});
    }
    {
        std::vector<uint8_t> p = MakePlainItemFromStream({}, 0, 0, 0);
        cases.push_back({"stream of zero bytes", Encrypt(p), kItemDecode});
    }
    {
        std::vector<uint8_t> p = good;
        SetHeaderField(p, 12, GetHeaderField(p, 12) ^ 1);
        cases.push_back({"content CRC differs", Encrypt(p), kItemContentCrc});
    }

    for (const Case& c : cases) {
        PayloadHeader header;
        EXPECT_EQ(Decode(c.stored, nullptr, &header), c.expected) << c.what;
        uint32_t size = (uint32_t)c.stored.size();
        uint32_t extra = 0xABCD;
        uint8_t* out = m_guard.ReadItem(c.stored.data(), size, &extra);
        if (c.expected == kItemOk) {
            EXPECT_NE(out, nullptr) << c.what;
        } else {
            EXPECT_EQ(out, nullptr) << c.what;
            EXPECT_EQ(size, c.stored.size()) << c.what << ": size unchanged on failure";
            EXPECT_EQ(extra, 0xABCDu) << c.what << ": extra unchanged on failure";
        }
        free(out);
    }
}

// Sizes that are not whole blocks of at least a header are refused before anything is read:
// the decryption would otherwise read past the stored bytes.
TEST_F(PayloadItem, RefusesSizesBeforeReading)
{
    const std::vector<uint8_t> content = Bytes("some content");
    std::vector<uint8_t> stored = BuildItem(m_key.data(), (int)m_key.size(), content.data(), content.size(), 0);
    const uint32_t sizes[] = {0, 8, 16, (uint32_t)stored.size() - 1, (uint32_t)stored.size() + 1};
    for (uint32_t size : sizes) {
        // A copy of exactly `size` bytes, so that ASan sees any read past them.
        std::vector<uint8_t> exact(stored);
        exact.resize(size);
        uint8_t* out = nullptr;
        EXPECT_EQ(DecodeItem(m_key.data(), (int)m_key.size(), exact.data(), size, &out, nullptr), kItemSize)
            << size;
        EXPECT_EQ(out, nullptr);
    }
    uint8_t* out = nullptr;
    EXPECT_EQ(DecodeItem(m_key.data(), (int)m_key.size(), nullptr, 64, &out, nullptr), kItemSize);
    EXPECT_EQ(DecodeItem(nullptr, 0, stored.data(), (uint32_t)stored.size(), &out, nullptr), kItemNoKey);
}

// An empty content reads back as a buffer of two bytes and size 0.
TEST_F(PayloadItem, EmptyContentGivesSizeZero)
{
    std::vector<uint8_t> stored = BuildItem(m_key.data(), (int)m_key.size(), nullptr, 0, 5);
    uint32_t size = (uint32_t)stored.size();
    uint32_t extra = 0;
    uint8_t* out = m_guard.ReadItem(stored.data(), size, &extra);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(extra, 5u);
    out[0] = out[1] = 0;   // both bytes are there (ASan would object otherwise)
    free(out);
}

TEST_F(PayloadItem, NothingLoadedReadsNothing)
{
    std::vector<uint8_t> stored = BuildItem(m_key.data(), (int)m_key.size(), (const uint8_t*)"x", 1, 0);
    m_guard.Clear();
    uint32_t size = (uint32_t)stored.size();
    EXPECT_EQ(m_guard.ReadItem(stored.data(), size, nullptr), nullptr);
    EXPECT_EQ(size, stored.size());
}

TEST_F(PayloadItem, Crc32MatchesTheDefinition)
{
    EXPECT_EQ(Crc32(0, (const uint8_t*)"123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(0, (const uint8_t*)"", 0), 0u);
    EXPECT_EQ(Crc32(0, nullptr, 0), 0u);
    EXPECT_EQ(Crc32(0, nullptr, 10), 0u);
    const size_t lengths[] = {1, 2, 3, 7, 8, 15, 16, 17, 255, 4096, 100003};
    for (size_t n : lengths) {
        std::vector<uint8_t> data = RandomBytes(n, (uint32_t)n);
        EXPECT_EQ(Crc32(0, data.data(), (uint32_t)n), ReferenceCrc(data)) << n;
        // Continuing from an earlier value equals one pass.
        size_t half = n / 2;
        uint32_t first = Crc32(0, data.data(), (uint32_t)half);
        EXPECT_EQ(Crc32(first, data.data() + half, (uint32_t)(n - half)), ReferenceCrc(data)) << n;
    }
}

// A text item's content as a string: the byte-order mark is dropped, nothing else changes.
TEST_F(PayloadItem, TextContentDropsOnlyALeadingByteOrderMark)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> content;
        std::string expected;
    };
    const Case cases[] = {
        {"with mark", Bytes("\xEF\xBB\xBFLine\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"), "Line\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"},
        {"without mark", Bytes("Line\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"), "Line\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"},
        {"mark only", Bytes("\xEF\xBB\xBF"), ""},
        {"empty", {}, ""},
        {"two marks", Bytes("\xEF\xBB\xBF\xEF\xBB\xBFx"), "\xEF\xBB\xBFx"},
        {"part of a mark", Bytes("\xEF\xBB"), "\xEF\xBB"},
        {"mark later", Bytes("x\xEF\xBB\xBF"), "x\xEF\xBB\xBF"},
    };
    for (const Case& c : cases) {
        GString out;
        out.AssignWide(WSTR("previous"));
        EXPECT_TRUE(AssignTextContent(c.content.data(), (uint32_t)c.content.size(), out)) << c.what;
        EXPECT_FALSE(out.IsWide()) << c.what;
        ASSERT_EQ(out.GetLength(), (int)c.expected.size()) << c.what;
        EXPECT_EQ(std::string(out.NarrowAt(0), (size_t)out.GetLength()), c.expected) << c.what;
    }
}
