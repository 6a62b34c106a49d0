#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "StringTableBuilder.h"
#include "payload/StringTable.h"
#include "text/GString.h"

namespace {

// The text of a record in UTF-16, through the string class as GetString reads it.
std::u16string TextOf(const void* record)
{
    GString s;
    if (!s.AssignCounted(record))
        return u"<assign failed>";
    const WChar* wide = s.GetWide();
    if (!wide)
        return u"<not convertible>";
    return std::u16string((const char16_t*)wide, (size_t)s.GetLength());
}

std::u16string U16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// A table given to a StringTable; the buffer belongs to the table once Init succeeds.
bool InitFrom(StringTable& table, const CStringTableBuilder& b)
{
    uint32_t length = 0;
    uint8_t* buffer = b.BuildBuffer(length);
    if (table.Init(buffer, b.Count(), length))
        return true;
    free(buffer);
    return false;
}

void PutLE(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = (uint8_t)(v >> (8 * i));
}

uint8_t* Copy(const std::vector<uint8_t>& b)
{
    uint8_t* p = (uint8_t*)malloc(b.size() + 1);
    if (!b.empty())
        memcpy(p, b.data(), b.size());
    return p;
}

} // namespace

TEST(StringTable, FindsEveryIdAndNothingElse)
{
    CStringTableBuilder b;
    const uint32_t ids[] = {4, 9, 10, 22, 23, 86, 93, 113, 114, 115, 1000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    for (uint32_t id : ids)
        ASSERT_TRUE(b.Add(id, "text " + std::to_string(id), id % 2 == 0));
    StringTable t;
    ASSERT_TRUE(InitFrom(t, b));
    EXPECT_EQ(t.Count(), (int)(sizeof(ids) / sizeof(ids[0])));
    for (uint32_t id : ids)
        EXPECT_EQ(TextOf(t.Find(id)), U16("text " + std::to_string(id))) << id;
    const uint32_t missing[] = {0, 3, 5, 11, 87, 999, 1001, 0x7FFFFFFE, 0x80000001u, 0xFFFFFFFEu};
    for (uint32_t id : missing)
        EXPECT_EQ(t.Find(id), nullptr) << id;
}

TEST(StringTable, OneEntryTableFindsExactlyThatId)
{
    CStringTableBuilder b;
    ASSERT_TRUE(b.Add(50, "fifty"));
    StringTable t;
    ASSERT_TRUE(InitFrom(t, b));
    EXPECT_EQ(TextOf(t.Find(50)), u"fifty");
    EXPECT_EQ(t.Find(49), nullptr);
    EXPECT_EQ(t.Find(51), nullptr);
    EXPECT_EQ(t.Find(0xFFFFFFFFu), nullptr);
}

// Records as readers meet them: both text forms, bits 29 and 30 ignored, empty texts.
TEST(StringTable, RecordsOfBothForms)
{
    CStringTableBuilder b;
    const std::vector<uint8_t> wide = {'W', 0, 'i', 0, 0x7C, 0x01};   // "Wiż"
    ASSERT_TRUE(b.AddRecord(1, 0x40000000u | 3, wide));                // bit 30: still UTF-16
    ASSERT_TRUE(b.AddRecord(2, 0x20000000u | 3, wide));                // bit 29: likewise
    ASSERT_TRUE(b.AddRecord(3, 0xE0000000u | 4, {'W', 'i', 0xC5, 0xBC}));   // UTF-8, bits 29/30 set
    ASSERT_TRUE(b.Add(4, ""));
    ASSERT_TRUE(b.Add(5, "", true));
    ASSERT_TRUE(b.Add(6, "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xF0\x9F\x98\x80", true));   // a surrogate pair
    StringTable t;
    ASSERT_TRUE(InitFrom(t, b));
    EXPECT_EQ(TextOf(t.Find(1)), u"Wi\u017C");
    EXPECT_EQ(TextOf(t.Find(2)), u"Wi\u017C");
    EXPECT_EQ(TextOf(t.Find(3)), u"Wi\u017C");
    EXPECT_EQ(TextOf(t.Find(4)), u"");
    EXPECT_EQ(TextOf(t.Find(5)), u"");
    EXPECT_EQ(TextOf(t.Find(6)), u"Za\u017C\u00F3\u0142\u0107 \U0001F600");
}

// A table whose index or records point outside its buffer is refused as a whole, and the
// table keeps what it held; the caller still owns the refused buffer.
TEST(StringTable, InitRefusesTablesThatPointOutside)
{
    // Two entries: ids 1 and 2, offsets 0 and 8, records "abc" (narrow) and "xy" (wide).
    std::vector<uint8_t> good(16 + 8 + 8, 0);
    PutLE(good, 0, 1);
    PutLE(good, 4, 0);
    PutLE(good, 8, 2);
    PutLE(good, 12, 8);
    PutLE(good, 16, 0x80000003u);
    memcpy(&good[20], "abc", 3);
    PutLE(good, 24, 2);
    memcpy(&good[28], "x\0y\0", 4);

    struct Case
    {
        const char* what;
        size_t at;          // where to write `value` (SIZE_MAX: nowhere)
        uint32_t value;
        int count;
        size_t length;
        bool accepted;
    };
    const size_t none = (size_t)-1;
    const Case cases[] = {
        {"well formed", none, 0, 2, good.size(), true},
        {"count zero", none, 0, 0, good.size(), false},
        {"negative count", none, 0, -1, good.size(), false},
        {"index longer than the buffer", none, 0, 5, good.size(), false},
        {"offset past the end", 12, 40, 2, good.size(), false},
        {"header across the end", 12, 14, 2, good.size(), false},
        {"offset near 4 GB", 4, 0xFFFFFFFCu, 2, good.size(), false},
        {"narrow length past the end", 16, 0x80000000u | 13, 2, good.size(), false},
        {"wide length past the end", 24, 3, 2, good.size(), false},
        {"length of 2^29-1 units", 24, 0x1FFFFFFFu, 2, good.size(), false},
        {"buffer cut short", none, 0, 2, good.size() - 1, false},
        {"ids not ascending", 8, 1, 2, good.size(), false},
        {"ids descending", 0, 3, 2, good.size(), false},
    };

    CStringTableBuilder previous;
    ASSERT_TRUE(previous.Add(7, "held before"));
    for (const Case& c : cases) {
        StringTable t;
        ASSERT_TRUE(InitFrom(t, previous));
        std::vector<uint8_t> bytes = good;
        if (c.at != none)
            PutLE(bytes, c.at, c.value);
        uint8_t* buffer = Copy(bytes);
        bool accepted = t.Init(buffer, c.count, (uint32_t)c.length) != 0;
        EXPECT_EQ(accepted, c.accepted) << c.what;
        if (accepted) {
            EXPECT_EQ(TextOf(t.Find(1)), u"abc") << c.what;
            EXPECT_EQ(t.Find(7), nullptr) << c.what;
        } else {
            EXPECT_EQ(TextOf(t.Find(7)), u"held before") << c.what;
            free(buffer);
        }
    }
    StringTable t;
    EXPECT_FALSE(t.Init(nullptr, 2, 32));
}

TEST(StringTable, ReleaseEmptiesAndMayRunTwice)
{
    CStringTableBuilder b;
    ASSERT_TRUE(b.Add(1, "one"));
    StringTable t;
    EXPECT_EQ(t.Find(1), nullptr);
    t.Release();
    ASSERT_TRUE(InitFrom(t, b));
    EXPECT_NE(t.Find(1), nullptr);
    t.Release();
    EXPECT_EQ(t.Find(1), nullptr);
    EXPECT_EQ(t.Count(), 0);
    t.Release();
    // A second Init replaces (and frees) the first table.
    ASSERT_TRUE(InitFrom(t, b));
    CStringTableBuilder other;
    ASSERT_TRUE(other.Add(2, "two"));
    ASSERT_TRUE(InitFrom(t, other));
    EXPECT_EQ(t.Find(1), nullptr);
    EXPECT_EQ(TextOf(t.Find(2)), u"two");
}

// What the builder makes is what the reader accepts: a large table with texts of every length.
TEST(StringTable, BuilderOutputIsValid)
{
    CStringTableBuilder b;
    for (uint32_t i = 0; i < 300; ++i)
        ASSERT_TRUE(b.Add(i * 7 + 3, std::string(i % 37, (char)('a' + i % 26)), i % 3 == 0));
    std::vector<uint8_t> bytes = b.Build();
    EXPECT_TRUE(StringTable::IsValid(bytes.data(), b.Count(), (uint32_t)bytes.size()));
    EXPECT_FALSE(StringTable::IsValid(bytes.data(), b.Count(), (uint32_t)bytes.size() - 1));
    StringTable t;
    ASSERT_TRUE(InitFrom(t, b));
    for (uint32_t i = 0; i < 300; ++i)
        EXPECT_EQ(TextOf(t.Find(i * 7 + 3)), std::u16string(i % 37, (char16_t)('a' + i % 26))) << i;
}
