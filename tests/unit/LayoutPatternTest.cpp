// The pattern derivation of the layout build and the image reader it rests on, on small
// fixtures and on damaged copies of a built library.
#include "LayoutTables.h"
#include "PatternSearch.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> v;
    for (int x : values)
        v.push_back((uint8_t)x);
    return v;
}

std::string FirstBuildPath()
{
    std::ifstream list(LAYOUT_BUILD_LIST);
    std::string line;
    std::getline(list, line);
    return line.substr(0, line.find('\t'));
}
}

TEST(LayoutPattern, FirstOccurrenceCases)
{
    const struct
    {
        std::vector<uint8_t> data, pattern;
        long expected;
    } cases[] = {
        {Bytes({1, 2, 3}), Bytes({1, 2}), 0},
        {Bytes({1, 2, 1, 2}), Bytes({1, 2}), 0},
        {Bytes({0, 1, 1, 2}), Bytes({1, 2}), 2},
        {Bytes({1, 2}), Bytes({1, 2, 3}), -1},
        {Bytes({1, 2, 3}), Bytes({}), -1},
        {Bytes({1, 2, 3}), Bytes({3}), 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstOccurrence(c.data, c.pattern), c.expected);
}

TEST(LayoutPattern, GrowsUntilFirstAtTheTargetInEveryImage)
{
    // 7 7 occurs earlier in both images; 7 7 9 only at the target.
    std::vector<uint8_t> a = Bytes({7, 7, 5, 7, 7, 9, 1, 2});
    std::vector<uint8_t> b = Bytes({7, 7, 7, 7, 9, 1, 2, 0, 0});
    std::vector<uint8_t> pattern;
    std::string error;
    ASSERT_TRUE(DerivePattern({{&a, 3, 8}, {&b, 2, 7}}, pattern, error)) << error;
    // Extended towards the minimum length as far as the tables agree and allow.
    EXPECT_EQ(pattern, Bytes({7, 7, 9, 1, 2}));
    EXPECT_EQ(HexText(pattern), "0707090102");
}

TEST(LayoutPattern, StopsAtTheLimit)
{
    std::vector<uint8_t> a = Bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<uint8_t> pattern;
    std::string error;
    ASSERT_TRUE(DerivePattern({{&a, 2, 6}}, pattern, error)) << error;
    EXPECT_EQ(pattern, Bytes({2, 3, 4, 5}));
}

TEST(LayoutPattern, FailsWhenNoRunIsFirstOrTheBuildsDiffer)
{
    std::vector<uint8_t> repeated = Bytes({4, 5, 4, 5});
    std::vector<uint8_t> one = Bytes({1, 2, 3, 4});
    std::vector<uint8_t> other = Bytes({1, 2, 9, 4});
    std::vector<uint8_t> pattern;
    std::string error;
    EXPECT_FALSE(DerivePattern({{&repeated, 2, 4}}, pattern, error));
    EXPECT_TRUE(pattern.empty());
    // Byte 1 alone is first in both, but the builds disagree at the third byte: still fine.
    EXPECT_TRUE(DerivePattern({{&one, 0, 4}, {&other, 0, 4}}, pattern, error));
    EXPECT_EQ(pattern, Bytes({1, 2}));
    // The whole table of the second image also occurs in front of its target.
    std::vector<uint8_t> early = Bytes({1, 2, 3, 1, 2, 3});
    EXPECT_FALSE(DerivePattern({{&one, 0, 4}, {&early, 3, 6}}, pattern, error));
    EXPECT_FALSE(DerivePattern({}, pattern, error));
    EXPECT_FALSE(DerivePattern({{&one, 3, 9}}, pattern, error));
}

TEST(LayoutPattern, DamagedImagesAreRefusedWithoutACrash)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(FirstBuildPath(), bytes));
    CPeImage image;
    LayoutTables tables;
    std::string error;
    ASSERT_TRUE(image.Parse(bytes));
    ASSERT_TRUE(LocateLayoutTables(image, tables, error)) << error;
    // Every truncation: the reader stays inside the bytes it has; the tables are found only
    // when all of them are still there.
    for (size_t n = 0; n < bytes.size(); n += 7)
    {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
        CPeImage partial;
        if (partial.Parse(cut) && LocateLayoutTables(partial, tables, error))
        {
            EXPECT_GT(n, (size_t)tables.scanTable + 2 * tables.scanCount);
        }
    }
    // Damaged descriptor code, damaged export name, a pointer sent far away.
    std::vector<uint8_t> bad = bytes;
    long code = image.RvaToOffset(image.FindExport("KbdLayerDescriptor"));
    bad[code] ^= 0xFF;
    ASSERT_TRUE(image.Parse(bad));
    EXPECT_FALSE(LocateLayoutTables(image, tables, error));
    bad = bytes;
    ASSERT_TRUE(image.Parse(bytes));
    LocateLayoutTables(image, tables, error);
    long scanPointer = tables.tables + 6 * (image.Is64() ? 8 : 4);
    bad[scanPointer + 3] ^= 0x40;
    ASSERT_TRUE(image.Parse(bad));
    EXPECT_FALSE(LocateLayoutTables(image, tables, error));
    EXPECT_FALSE(image.Parse(std::vector<uint8_t>()));
    EXPECT_FALSE(image.Parse(Bytes({'M', 'Z'})));
}
