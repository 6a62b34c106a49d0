// The layout-library patch on small images built here: the pattern texts, the search, the slot
// choice and every write of the patch, with the image's edges and damaged tables.
#include "engine/LayoutPatch.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

std::string Hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

void PutU16(Bytes& image, size_t at, uint16_t value)
{
    image[at] = (uint8_t)value;
    image[at + 1] = (uint8_t)(value >> 8);
}

uint16_t GetU16(const Bytes& image, size_t at)
{
    return (uint16_t)(image[at] | (image[at + 1] << 8));
}

// Pattern texts by StringId; the lookup records which ids were asked for.
struct Patterns
{
    std::map<StringId, std::string> texts;
    std::vector<StringId> asked;
};

uint8_t* LookUp(void* context, StringId id, uint32_t& byteCount)
{
    Patterns* p = static_cast<Patterns*>(context);
    p->asked.push_back(id);
    byteCount = 0;
    auto it = p->texts.find(id);
    if (it == p->texts.end())
        return nullptr;
    return HexTextToBytes(it->second.data(), (int)it->second.size(), byteCount);
}

// A miniature library image:
//   0    16 bytes of filler
//   16   the decimal key's two characters ". ." and a marker (pattern 146 starts here)
//   24   the 0xE1 table: 0x1D -> 0x0013, end
//   32   the 0xE0 table: 0x10, 0x1C, 0x1D, 0x38, end
//   52   8 bytes of filler
//   60   the scan-code table, 128 elements (pattern 147 = its first 16 bytes)
//   316  8 bytes of filler
struct Fixture
{
    static const size_t kDecimal = 16, kE1 = 24, kE0 = 32, kScan = 60, kSize = 324;
    static const int kScanCount = 128;

    Bytes image;
    Patterns patterns;

    Fixture()
    {
        image.assign(kSize, 0xCC);
        const uint8_t decimal[] = {'.', 0, '.', 0, 0xD1, 0xD2, 0xD3, 0xD4};
        memcpy(&image[kDecimal], decimal, sizeof decimal);
        const uint8_t e1[] = {0x1D, 0, 0x13, 0x00, 0, 0, 0, 0};
        memcpy(&image[kE1], e1, sizeof e1);
        const uint8_t e0[] = {0x10, 0, 0xB1, 0x01, 0x1C, 0, 0x0D, 0x01, 0x1D, 0, 0xA3, 0x01,
                              0x38, 0, 0xA5, 0x01, 0,    0, 0,    0};
        memcpy(&image[kE0], e0, sizeof e0);
        for (int sc = 0; sc < kScanCount; ++sc)
            PutU16(image, kScan + 2 * sc, (uint16_t)(0x0100 + sc));
        patterns.texts[146] = Hex(Bytes(image.begin() + kDecimal, image.begin() + kDecimal + 8));
        patterns.texts[147] = Hex(Bytes(image.begin() + kScan, image.begin() + kScan + 16));
        patterns.texts[148] = "0102030405060708";   // found nowhere
        patterns.texts[149] = "0203";               // found nowhere
        patterns.texts[150] = Hex(Bytes(image.begin() + kE0, image.begin() + kE0 + 8));
        patterns.texts[151] = Hex(Bytes(image.begin() + kE1, image.begin() + kE1 + 8));
    }

    int Patch(const std::vector<KeyMapEntry>& rows, int variant = 0, int decimalKey = 1)
    {
        return PatchLayoutImage(image.data(), (uint32_t)image.size(),
                                rows.empty() ? nullptr : rows.data(), (int)rows.size(), variant,
                                decimalKey, LookUp, &patterns);
    }
};

// A key map with no reassignment: the key table with every virtual key cleared.
std::vector<KeyMapEntry> CleanKeyMap()
{
    std::vector<KeyMapEntry> rows(KeyMapTable, KeyMapTable + kKeyMapRows);
    for (KeyMapEntry& row : rows)
        row.virtualKey = 0;
    return rows;
}

void Reassign(std::vector<KeyMapEntry>& rows, uint16_t scanCode, uint16_t virtualKey)
{
    for (KeyMapEntry& row : rows) {
        if (row.scanCode == scanCode) {
            row.virtualKey = virtualKey;
            return;
        }
    }
    ADD_FAILURE() << "no row for " << std::hex << scanCode;
}

// Offsets at which two images differ.
std::set<size_t> Changes(const Bytes& before, const Bytes& after)
{
    std::set<size_t> at;
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (before[i] != after[i])
            at.insert(i);
    }
    return at;
}

} // namespace

TEST(HexPattern, ConvertsUpperCaseDigitPairs)
{
    const struct {
        const char* text;
        bool ok;
        Bytes bytes;
    } cases[] = {
        {"00FF10", true, {0x00, 0xFF, 0x10}},
        {"0123456789ABCDEF", true, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
        {"A0B", true, {0xA0}},        // an odd last character is ignored
        {"7", true, {}},              // one character: no byte, but no failure
        {"A0g", true, {0xA0}},        // ... even when it would be invalid
        {"0a", false, {}},            // lower case
        {"FF0a", false, {}},
        {"G0", false, {}},
        {" 0", false, {}},
        {"0x10", false, {}},
        {"\xC3\x84" "0", false, {}},  // UTF-8 of a non-ASCII letter
        {"", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t count = 99;
        uint8_t* bytes = HexTextToBytes(c.text, (int)strlen(c.text), count);
        if (!c.ok) {
            EXPECT_EQ(nullptr, bytes);
            EXPECT_EQ(0u, count);
            free(bytes);
            continue;
        }
        ASSERT_NE(nullptr, bytes);
        EXPECT_EQ(Bytes(bytes, bytes + count), c.bytes);
        free(bytes);
    }
    uint32_t count = 5;
    EXPECT_EQ(nullptr, HexTextToBytes(nullptr, 4, count));
    EXPECT_EQ(0u, count);
    // The length decides, not a terminator.
    uint8_t* two = HexTextToBytes("1234zz", 4, count);
    ASSERT_NE(nullptr, two);
    EXPECT_EQ(Bytes(two, two + count), Bytes({0x12, 0x34}));
    free(two);
}

TEST(FindBytes, FirstMatchAtOrAfterTheStart)
{
    const Bytes data = {1, 2, 3, 1, 2, 3, 4, 1, 1, 2};
    const struct {
        Bytes pattern;
        int start;
        int expected;
    } cases[] = {
        {{1, 2, 3}, 0, 0},        // at offset 0: a valid match
        {{1, 2, 3}, 1, 3},        // counted from the start of the data, not from `start`
        {{1, 2, 3, 4}, 0, 3},
        {{1, 1, 2}, 0, 7},        // a partial match just before does not hide it
        {{1, 2}, 8, 8},           // ending exactly at the end
        {{1, 2}, 9, -1},          // does not fit behind the start
        {{2, 3, 4, 1, 1, 2}, 4, 4},
        {{2, 3, 4, 1, 1, 2, 0}, 0, -1},
        {{9}, 0, -1},
        {{1}, -1, -1},
        {{1}, 10, -1},
        {Bytes(11, 1), 0, -1},    // longer than the data
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, FindBytes(data.data(), c.pattern.data(), (int)data.size(),
                                        (int)c.pattern.size(), c.start))
            << "pattern of " << c.pattern.size() << " from " << c.start;
    }
    const uint8_t one = 1;
    EXPECT_EQ(-1, FindBytes(nullptr, &one, 10, 1, 0));
    EXPECT_EQ(-1, FindBytes(data.data(), nullptr, 10, 1, 0));
    EXPECT_EQ(-1, FindBytes(data.data(), &one, 0, 1, 0));
    EXPECT_EQ(-1, FindBytes(data.data(), &one, -5, 1, 0));
    EXPECT_EQ(-1, FindBytes(data.data(), &one, 10, 0, 0));
    EXPECT_EQ(-1, FindBytes(data.data(), &one, 10, -1, 0));
    // A start near the largest int does not wrap around into a match.
    EXPECT_EQ(-1, FindBytes(data.data(), &one, 10, 1, 0x7FFFFFFF));
    EXPECT_EQ(-1, FindBytes(data.data(), data.data(), 10, 0x7FFFFFFF, 5));
}

TEST(LayoutSlots, SlotsForEverySystem)
{
    const struct {
        int os;
        uint16_t arch;
        int ok, first, second;
    } cases[] = {
        {50, 0, 1, 0, -1},  {50, 9, 1, 0, -1},  {50, 6, 1, 0, -1},  {51, 0, 1, 1, -1},
        {51, 9, 1, 1, -1},  {52, 0, 1, 2, -1},  {52, 6, 1, 2, 3},   {52, 9, 1, 2, 4},
        {52, 5, 0, -1, -1}, {60, 0, 1, 5, -1},  {60, 6, 1, 5, 6},   {60, 9, 1, 5, 7},
        {60, 12, 0, -1, -1}, {61, 0, 1, 8, -1}, {61, 6, 1, 8, 9},   {61, 9, 1, 8, 10},
        {61, 0xFFFF, 0, -1, -1}, {62, 0, 1, 11, -1}, {62, 9, 1, 11, 12}, {62, 6, 0, -1, -1},
        {63, 9, 1, 11, 12}, {100, 0, 1, 11, -1}, {100, 9, 1, 11, 12}, {100, 6, 0, -1, -1},
        {53, 9, 1, 11, 12}, {59, 0, 1, 11, -1}, {0, 9, 1, 11, 12},  {100, 5, 0, -1, -1},
    };
    for (const auto& c : cases) {
        int first = 77, second = 77;
        EXPECT_EQ(c.ok, SelectLayoutSlots(c.os, c.arch, first, second))
            << c.os << " arch " << c.arch;
        EXPECT_EQ(c.first, first) << c.os << " arch " << c.arch;
        EXPECT_EQ(c.second, second) << c.os << " arch " << c.arch;
    }
}

TEST(LayoutPatch, WritesTheReassignmentsAndNothingElse)
{
    Fixture f;
    const Bytes before = f.image;
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    Reassign(rows, 0x003A, 0x00A2);   // Caps Lock types Left Ctrl
    Reassign(rows, 0x0001, 0x00FF);   // Esc gives no virtual key at all
    Reassign(rows, 0x007E, 0x0C2E);   // the last scan code below 0x7F
    Reassign(rows, 0xE01D, 0x0114);   // a 0xE0 key in the middle of its table
    Reassign(rows, 0xE038, 0x01A4);   // ... the last record before the end
    Reassign(rows, 0xE11D, 0x0090);   // the 0xE1 key
    ASSERT_EQ(1, f.Patch(rows));

    std::set<size_t> expected;
    for (size_t at : {Fixture::kScan + 2 * 0x3A, Fixture::kScan + 2 * 0x01,
                      Fixture::kScan + 2 * 0x7E, Fixture::kE0 + 8 + 2, Fixture::kE0 + 12 + 2,
                      Fixture::kE1 + 2}) {
        expected.insert(at);
        expected.insert(at + 1);
    }
    std::set<size_t> changed = Changes(before, f.image);
    for (size_t at : changed)
        EXPECT_TRUE(expected.count(at)) << "unexpected write at " << at;
    EXPECT_EQ(0x00A2, GetU16(f.image, Fixture::kScan + 2 * 0x3A));
    EXPECT_EQ(0x00FF, GetU16(f.image, Fixture::kScan + 2 * 0x01));
    EXPECT_EQ(0x0C2E, GetU16(f.image, Fixture::kScan + 2 * 0x7E));
    EXPECT_EQ(0x0114, GetU16(f.image, Fixture::kE0 + 8 + 2));
    EXPECT_EQ(0x01A4, GetU16(f.image, Fixture::kE0 + 12 + 2));
    EXPECT_EQ(0x0090, GetU16(f.image, Fixture::kE1 + 2));
    // The records' scan codes and padding stay.
    EXPECT_EQ(0x1D, f.image[Fixture::kE0 + 8]);
    EXPECT_EQ(0, f.image[Fixture::kE0 + 9]);
    // The decimal key was not asked for.
    for (StringId id : f.patterns.asked)
        EXPECT_NE(146u, id);
}

TEST(LayoutPatch, KeysWithoutAPlaceInTheTablesChangeNothing)
{
    // Rows at 0x7F and above that are no prefixed keys (the pseudo-key 0x00FF among them), a
    // 0xE0 key the library's table lacks, and rows whose reassignment is 0.
    const struct {
        uint16_t scanCode;
        uint16_t virtualKey;
    } cases[] = {
        {0x00FF, 0x0041}, {0x007F, 0x0041}, {0x0080, 0x0041}, {0x00E0, 0x0041},
        {0xE05B, 0x0041}, {0xE07F, 0x0041}, {0xE000, 0x0041}, {0xE110, 0x0041},
        {0xE200, 0x0041}, {0x003A, 0x0000}, {0xE01D, 0x0000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.scanCode);
        Fixture f;
        const Bytes before = f.image;
        std::vector<KeyMapEntry> rows = CleanKeyMap();
        rows[0].scanCode = c.scanCode;
        rows[0].virtualKey = c.virtualKey;
        EXPECT_EQ(1, f.Patch(rows));
        EXPECT_EQ(before, f.image);
    }
    // The real row 103 (0x00FF) with a reassignment.
    Fixture f;
    const Bytes before = f.image;
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    ASSERT_EQ(0x00FF, rows[103].scanCode);
    rows[103].virtualKey = 0x0041;
    EXPECT_EQ(1, f.Patch(rows));
    EXPECT_EQ(before, f.image);
}

TEST(LayoutPatch, DecimalKeyBecomesACommaOnlyWhenAsked)
{
    const struct {
        int decimalKey;
        bool asks146;
        bool comma;
    } cases[] = {{0, true, true}, {1, false, false}, {-1, false, false}, {2, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.decimalKey);
        Fixture f;
        const Bytes before = f.image;
        ASSERT_EQ(1, f.Patch(CleanKeyMap(), 0, c.decimalKey));
        bool asked = false;
        for (StringId id : f.patterns.asked)
            asked = asked || id == 146;
        EXPECT_EQ(c.asks146, asked);
        std::set<size_t> changed = Changes(before, f.image);
        if (c.comma) {
            EXPECT_EQ(std::set<size_t>({Fixture::kDecimal, Fixture::kDecimal + 2}), changed);
            EXPECT_EQ(',', f.image[Fixture::kDecimal]);
            EXPECT_EQ(0, f.image[Fixture::kDecimal + 1]);
            EXPECT_EQ(',', f.image[Fixture::kDecimal + 2]);
            EXPECT_EQ(0, f.image[Fixture::kDecimal + 3]);
        } else {
            EXPECT_TRUE(changed.empty());
        }
    }
    // With 1 or -1 the decimal pattern is not needed at all.
    for (int decimalKey : {1, -1}) {
        Fixture f;
        f.patterns.texts.erase(146);
        EXPECT_EQ(1, f.Patch(CleanKeyMap(), 0, decimalKey));
    }
    // With 0 it must be there and match.
    Fixture missing;
    missing.patterns.texts.erase(146);
    EXPECT_EQ(0, missing.Patch(CleanKeyMap(), 0, 0));
    Fixture absent;
    absent.patterns.texts[146] = "2E002C00";
    EXPECT_EQ(0, absent.Patch(CleanKeyMap(), 0, 0));
}

TEST(LayoutPatch, WithoutAKeyMapOnlyTheDecimalKeyIsPatched)
{
    Fixture f;
    const Bytes before = f.image;
    // No scan-code pattern is needed then.
    for (StringId id : {147u, 148u, 149u, 150u, 151u})
        f.patterns.texts.erase(id);
    ASSERT_EQ(1, f.Patch({}, 0, 0));
    EXPECT_EQ(std::set<size_t>({Fixture::kDecimal, Fixture::kDecimal + 2}),
              Changes(before, f.image));
    // A key map of no rows counts as none.
    Fixture g;
    g.patterns.texts.erase(147);
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    Reassign(rows, 0x003A, 0x00A2);
    EXPECT_EQ(1, PatchLayoutImage(g.image.data(), (uint32_t)g.image.size(), rows.data(), 0, 0, 0,
                                  LookUp, &g.patterns));
    EXPECT_EQ(0x013A, GetU16(g.image, Fixture::kScan + 2 * 0x3A));
}

TEST(LayoutPatch, EveryPatternMustBeValidAndFound)
{
    const struct {
        StringId id;
        const char* text;   // null: the string is missing
        int variant;
        int result;
    } cases[] = {
        {147, nullptr, 0, 0},
        {147, "", 0, 0},
        {147, "000101010201030104010", 0, 1},   // odd: the last digit is ignored
        {147, "0001010102010301", 0, 1},
        {147, "0001010102010301040105010601070108010a01", 0, 0},   // lower case
        {147, "0001010102010301040105010601070108010A0B", 0, 0},   // not in the image
        {147, "0001010102010301 401", 0, 0},
        {147, "0", 0, 0},                                          // no byte at all
        {148, nullptr, 1, 0},
        {148, "0001010102010301", 1, 1},   // variant 1 takes 148, not 147
        {149, "0001010102010301", 2, 1},
        {150, nullptr, 0, 0},
        {150, "1000B1011c000d01", 0, 0},
        {150, "1000B1011D000D01", 0, 0},
        {150, "1000B101", 0, 1},
        {151, nullptr, 0, 0},
        {151, "1d001300", 0, 0},
        {151, "1D00130000000000", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << (c.text ? c.text : "(missing)"));
        Fixture f;
        if (c.text)
            f.patterns.texts[c.id] = c.text;
        else
            f.patterns.texts.erase(c.id);
        EXPECT_EQ(c.result, f.Patch(CleanKeyMap(), c.variant));
    }
}

TEST(LayoutPatch, AVariantOutsideTheThreeFails)
{
    // 147 + variant would name the decimal key's pattern (-1) or the prefixed tables' (3, 4).
    for (int variant : {-1, 3, 4, -100, 1000}) {
        Fixture f;
        f.patterns.texts[146] = f.patterns.texts[147];
        f.patterns.texts[150] = f.patterns.texts[147];
        f.patterns.texts[151] = f.patterns.texts[147];
        std::vector<KeyMapEntry> rows = CleanKeyMap();
        Reassign(rows, 0x003A, 0x00A2);
        const Bytes before = f.image;
        EXPECT_EQ(0, f.Patch(rows, variant)) << variant;
        EXPECT_EQ(before, f.image) << variant;
    }
}

TEST(LayoutPatch, WritesStayInsideTheImage)
{
    // The scan-code table's start found 20 bytes before the image's end: only the first ten
    // elements lie inside.
    {
        Bytes image(64, 0xCC);
        for (int i = 0; i < 10; ++i)
            PutU16(image, 44 + 2 * i, (uint16_t)(0x0200 + i));
        Patterns patterns;
        patterns.texts[147] = Hex(Bytes(image.begin() + 44, image.begin() + 52));
        patterns.texts[150] = "CCCC";
        patterns.texts[151] = "CCCC";
        std::vector<KeyMapEntry> rows = CleanKeyMap();
        Reassign(rows, 0x0009, 0x0041);   // the last element inside
        Reassign(rows, 0x000A, 0x0042);   // the first outside
        Reassign(rows, 0x003A, 0x0043);
        Bytes padded = image;
        padded.resize(image.size() + 256, 0xEE);   // what lies behind the image stays
        ASSERT_EQ(1, PatchLayoutImage(padded.data(), (uint32_t)image.size(), rows.data(),
                                      (int)rows.size(), 0, 1, LookUp, &patterns));
        EXPECT_EQ(0x0041, GetU16(padded, 44 + 18));
        for (size_t i = image.size(); i < padded.size(); ++i)
            ASSERT_EQ(0xEE, padded[i]) << i;
    }
    // The decimal key's pattern matching at the image's last two bytes: the second character
    // lies outside.
    {
        Bytes image(32, 0xCC);
        image[30] = '.';
        image[31] = 0;
        Patterns patterns;
        patterns.texts[146] = "2E00";
        Bytes padded = image;
        padded.resize(image.size() + 8, 0xEE);
        ASSERT_EQ(1, PatchLayoutImage(padded.data(), (uint32_t)image.size(), nullptr, 0, 0, 0,
                                      LookUp, &patterns));
        EXPECT_EQ(',', padded[30]);
        EXPECT_EQ(0xEE, padded[32]);
        EXPECT_EQ(0xEE, padded[33]);
    }
}

TEST(LayoutPatch, RecordWalksEndAtTheImageEnd)
{
    // A 0xE0 table without its end record runs to the image's end; the last record is cut
    // after two bytes.
    Bytes image(40, 0xCC);
    const uint8_t records[] = {0x10, 0, 0xB1, 0x01, 0x1C, 0, 0x0D, 0x01, 0x38, 0};
    memcpy(&image[30], records, sizeof records);
    Patterns patterns;
    patterns.texts[147] = "CCCCCCCC";
    patterns.texts[150] = "1000B101";
    // Found in the image as patched so far: after a write into the 0xE0 table only the record's
    // first two bytes still match.
    patterns.texts[151] = "1C00";
    const struct {
        uint16_t scanCode;
        bool written;
        size_t at;
    } cases[] = {
        {0xE01C, true, 36},    // the last whole record
        {0xE038, false, 0},    // the cut record: its virtual key would lie outside
        {0xE05B, false, 0},    // absent: the walk ends at the image's end
        {0xE11C, true, 36},    // the 0xE1 table found at the same records
        {0xE138, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.scanCode);
        Bytes padded = image;
        padded.resize(image.size() + 16, 0x38);   // behind the image: more matching bytes
        std::vector<KeyMapEntry> rows = CleanKeyMap();
        rows[0].scanCode = c.scanCode;
        rows[0].virtualKey = 0x0777;
        ASSERT_EQ(1, PatchLayoutImage(padded.data(), (uint32_t)image.size(), rows.data(),
                                      (int)rows.size(), 0, 1, LookUp, &patterns));
        std::set<size_t> changed = Changes(Bytes(image.begin(), image.end()),
                                           Bytes(padded.begin(), padded.begin() + image.size()));
        if (c.written)
            EXPECT_EQ(std::set<size_t>({c.at, c.at + 1}), changed);
        else
            EXPECT_TRUE(changed.empty());
        for (size_t i = image.size(); i < padded.size(); ++i)
            ASSERT_EQ(0x38, padded[i]) << i;
    }
}

TEST(LayoutPatch, RefusesNoImage)
{
    Fixture f;
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    EXPECT_EQ(0, PatchLayoutImage(nullptr, 100, rows.data(), (int)rows.size(), 0, 0, LookUp,
                                  &f.patterns));
    EXPECT_EQ(0, PatchLayoutImage(f.image.data(), 0, rows.data(), (int)rows.size(), 0, 0, LookUp,
                                  &f.patterns));
    EXPECT_EQ(0, PatchLayoutImage(f.image.data(), (uint32_t)f.image.size(), rows.data(),
                                  (int)rows.size(), 0, 0, nullptr, nullptr));
}
