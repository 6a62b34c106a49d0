// The system scan-code map value read into a key map and written back from it: the format's
// fields, remaps to nothing, self-remaps, entries of keys without a row, and damaged values.
#include "engine/ScancodeMap.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <set>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

void PutU32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back((uint8_t)(v >> (8 * i)));
}

struct Mapping
{
    uint16_t sends;
    uint16_t physical;
};

// A map value: header with the given count (the real one when count is -1), the mappings and
// the terminator.
Bytes MapValue(const std::vector<Mapping>& mappings, int64_t count = -1)
{
    Bytes b;
    PutU32(b, 0);
    PutU32(b, 0);
    PutU32(b, count < 0 ? (uint32_t)mappings.size() + 1 : (uint32_t)count);
    for (const Mapping& m : mappings)
        PutU32(b, ((uint32_t)m.physical << 16) | m.sends);
    PutU32(b, 0);
    return b;
}

std::vector<KeyMapEntry> CleanKeyMap()
{
    std::vector<KeyMapEntry> rows(KeyMapTable, KeyMapTable + kKeyMapRows);
    for (KeyMapEntry& row : rows)
        row.virtualKey = 0;
    return rows;
}

uint16_t RemapOf(const std::vector<KeyMapEntry>& rows, uint16_t scanCode)
{
    for (const KeyMapEntry& row : rows) {
        if (row.scanCode == scanCode)
            return row.scanRemap;
    }
    ADD_FAILURE() << "no row " << std::hex << scanCode;
    return 0xDEAD;
}

int RemapCount(const std::vector<KeyMapEntry>& rows)
{
    int n = 0;
    for (const KeyMapEntry& row : rows)
        n += row.scanRemap != 0;
    return n;
}

} // namespace

TEST(ScancodeMap, AppliesRemapsToTheirRows)
{
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    Bytes value = MapValue({
        {0x001D, 0x003A},   // Caps Lock sends Left Ctrl
        {0x0000, 0xE05B},   // Left Windows sends nothing
        {0x0001, 0x0001},   // Esc to itself: normalised away
        {0xE01D, 0x0046},   // Scroll Lock sends Right Ctrl
        {0x0010, 0x0054},   // a key without a row: kept aside
        {0x003A, 0x001D},
        {0x0038, 0x001D},   // a later mapping of the same key wins
        {0x00FF, 0x0029},   // sends 0xFF: read as "nothing"
    });
    uint32_t* others = nullptr;
    int otherCount = -1;
    ASSERT_EQ(1, ApplyScancodeMap(rows.data(), (int)rows.size(), value.data(),
                                  (uint32_t)value.size(), others, otherCount));
    EXPECT_EQ(0x001D, RemapOf(rows, 0x003A));
    EXPECT_EQ(0x00FF, RemapOf(rows, 0xE05B));
    EXPECT_EQ(0x0000, RemapOf(rows, 0x0001));
    EXPECT_EQ(0xE01D, RemapOf(rows, 0x0046));
    EXPECT_EQ(0x0038, RemapOf(rows, 0x001D));
    EXPECT_EQ(0x00FF, RemapOf(rows, 0x0029));
    EXPECT_EQ(5, RemapCount(rows));
    ASSERT_EQ(1, otherCount);
    ASSERT_NE(nullptr, others);
    EXPECT_EQ(0x00540010u, others[0]);
    free(others);
    // The virtual keys are not touched.
    for (const KeyMapEntry& row : rows)
        EXPECT_EQ(0, row.virtualKey);
}

TEST(ScancodeMap, UnusableValuesChangeNothing)
{
    const Bytes good = MapValue({{0x001D, 0x003A}, {0x0000, 0x0054}});
    Bytes shortByOne(good.begin(), good.end() - 1);
    Bytes headerOnly(good.begin(), good.begin() + 12);
    Bytes fifteen(good.begin(), good.begin() + 15);
    const struct {
        const char* what;
        Bytes value;
    } cases[] = {
        {"count 1", MapValue({{0x001D, 0x003A}}, 1)},
        {"count 0", MapValue({{0x001D, 0x003A}}, 0)},
        {"shorter than its count", shortByOne},
        {"count beyond the value", MapValue({{0x001D, 0x003A}}, 3)},
        {"count that wraps 4n", MapValue({{0x001D, 0x003A}}, 0x40000001)},
        {"count that wraps 12 + 4n", MapValue({{0x001D, 0x003A}}, 0x3FFFFFFD)},
        {"largest count", MapValue({{0x001D, 0x003A}}, 0xFFFFFFFF)},
        {"header only", headerOnly},
        {"fifteen bytes", fifteen},
        {"empty", Bytes()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<KeyMapEntry> rows = CleanKeyMap();
        uint32_t* others = (uint32_t*)1;
        int otherCount = -1;
        EXPECT_EQ(0, ApplyScancodeMap(rows.data(), (int)rows.size(), c.value.data(),
                                      (uint32_t)c.value.size(), others, otherCount));
        EXPECT_EQ(nullptr, others);
        EXPECT_EQ(0, otherCount);
        EXPECT_EQ(0, RemapCount(rows));
    }
    // Spare bytes behind a complete map do no harm.
    Bytes longer = good;
    longer.insert(longer.end(), 7, 0xAB);
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    uint32_t* others = nullptr;
    int otherCount = 0;
    EXPECT_EQ(1, ApplyScancodeMap(rows.data(), (int)rows.size(), longer.data(),
                                  (uint32_t)longer.size(), others, otherCount));
    EXPECT_EQ(0x001D, RemapOf(rows, 0x003A));
    EXPECT_EQ(1, otherCount);
    free(others);
    // No rows, no value.
    EXPECT_EQ(0, ApplyScancodeMap(nullptr, 5, good.data(), (uint32_t)good.size(), others,
                                  otherCount));
    EXPECT_EQ(0, ApplyScancodeMap(rows.data(), 0, good.data(), (uint32_t)good.size(), others,
                                  otherCount));
    EXPECT_EQ(0, ApplyScancodeMap(rows.data(), (int)rows.size(), nullptr, 100, others,
                                  otherCount));
}

TEST(ScancodeMap, BuildsTheValueInRowOrder)
{
    const struct {
        const char* what;
        std::vector<Mapping> remaps;   // (scanRemap, scanCode) of rows
        std::vector<uint32_t> others;
        Bytes expected;
    } cases[] = {
        {"nothing: the empty map", {}, {}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"one remap",
         {{0x001D, 0x003A}},
         {},
         {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x1D, 0, 0x3A, 0, 0, 0, 0, 0}},
        {"to nothing is written as 0",
         {{0x00FF, 0xE05B}},
         {},
         {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0x5B, 0xE0, 0, 0, 0, 0}},
        {"rows in table order, kept entries after them",
         {{0xE01D, 0x0046}, {0x001D, 0x003A}},
         {0x00540010u},
         {0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x1D, 0, 0x3A, 0, 0x1D, 0xE0, 0x46, 0, 0x10, 0,
          0x54, 0, 0, 0, 0, 0}},
        {"only kept entries",
         {},
         {0x00540000u, 0xE0710072u},
         {0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0x54, 0, 0x72, 0, 0x71, 0xE0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<KeyMapEntry> rows = CleanKeyMap();
        for (const Mapping& m : c.remaps) {
            for (KeyMapEntry& row : rows) {
                if (row.scanCode == m.physical)
                    row.scanRemap = m.sends;
            }
        }
        EXPECT_EQ((int)(c.remaps.size() + c.others.size()),
                  CountScancodeMappings(rows.data(), (int)rows.size(), (int)c.others.size()));
        uint32_t size = 0;
        uint8_t* value = BuildScancodeMap(rows.data(), (int)rows.size(),
                                          c.others.empty() ? nullptr : c.others.data(),
                                          (int)c.others.size(), size);
        ASSERT_NE(nullptr, value);
        EXPECT_EQ(c.expected, Bytes(value, value + size));
        free(value);
    }
}

TEST(ScancodeMap, RowsAfterTheEndRowAreNotWritten)
{
    // The walk stops at the first row whose scan code is 0 (row 144); a remap behind it, or on
    // a row the copy made to end early, is not part of the map.
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    rows[145].scanCode = 0x0054;
    rows[145].scanRemap = 0x0010;
    rows[57].scanRemap = 0x001D;   // Caps Lock, before the end
    EXPECT_EQ(1, CountScancodeMappings(rows.data(), (int)rows.size(), 0));
    rows[10].scanCode = 0;         // ends the walk before Caps Lock
    EXPECT_EQ(0, CountScancodeMappings(rows.data(), (int)rows.size(), 0));
    uint32_t size = 0;
    uint8_t* value = BuildScancodeMap(rows.data(), (int)rows.size(), nullptr, 5, size);
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(16u, size);   // kept entries without their array count as none
    free(value);
}

TEST(ScancodeMap, RoundTripKeepsEveryEntry)
{
    const std::vector<Mapping> mappings = {
        {0x001D, 0x003A}, {0x003A, 0x001D}, {0x0000, 0xE05B}, {0x0000, 0x0054},
        {0xE038, 0x0038}, {0x0079, 0xE011}, {0x0000, 0xE11D}, {0x0002, 0x00FF},
    };
    Bytes value = MapValue(mappings);
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    uint32_t* others = nullptr;
    int otherCount = 0;
    ASSERT_EQ(1, ApplyScancodeMap(rows.data(), (int)rows.size(), value.data(),
                                  (uint32_t)value.size(), others, otherCount));
    EXPECT_EQ(2, otherCount);
    uint32_t size = 0;
    uint8_t* rebuilt = BuildScancodeMap(rows.data(), (int)rows.size(), others, otherCount, size);
    ASSERT_NE(nullptr, rebuilt);
    ASSERT_EQ(value.size(), (size_t)size);
    // The same entries, perhaps in another order; the header and terminator are equal.
    EXPECT_EQ(Bytes(value.begin(), value.begin() + 12), Bytes(rebuilt, rebuilt + 12));
    std::multiset<uint32_t> before, after;
    for (size_t i = 12; i + 4 < value.size(); i += 4) {
        before.insert(value[i] | value[i + 1] << 8 | value[i + 2] << 16 | (uint32_t)value[i + 3] << 24);
        after.insert(rebuilt[i] | rebuilt[i + 1] << 8 | rebuilt[i + 2] << 16 |
                     (uint32_t)rebuilt[i + 3] << 24);
    }
    EXPECT_EQ(before, after);
    EXPECT_EQ(0u, rebuilt[size - 4] | rebuilt[size - 3] | rebuilt[size - 2] | rebuilt[size - 1]);
    free(rebuilt);
    free(others);

    // And the rebuilt map read again gives the same rows.
    std::vector<KeyMapEntry> again = CleanKeyMap();
    Bytes copy = value;
    ASSERT_EQ(1, ApplyScancodeMap(again.data(), (int)again.size(), copy.data(),
                                  (uint32_t)copy.size(), others, otherCount));
    free(others);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].scanRemap, again[i].scanRemap) << i;
}
