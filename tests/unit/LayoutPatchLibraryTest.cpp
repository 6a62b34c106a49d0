// The patch applied to the real layout libraries of every set, variant and platform slot, with
// the patterns the payload carries; the result is read back by the library reader, which
// finds the tables through the descriptor and not through the patterns.
#include "LayoutTables.h"
#include "engine/LayoutPatch.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

struct Library
{
    std::string path;
    int set = 0, variant = 0, slot = 0;
    std::vector<uint8_t> bytes;
    LayoutTables tables;
};

const std::vector<Library>& Libraries()
{
    static std::vector<Library> libraries;
    static bool loaded = false;
    if (loaded)
        return libraries;
    loaded = true;
    std::ifstream list(LAYOUT_BUILD_LIST);
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        Library l;
        std::getline(fields, l.path, '\t');
        fields >> l.set >> l.variant >> l.slot;
        CPeImage image;
        std::string error;
        if (!fields || !ReadFileBytes(l.path, l.bytes) || !image.Parse(l.bytes) ||
            !LocateLayoutTables(image, l.tables, error)) {
            ADD_FAILURE() << "cannot read " << line << " " << error;
            continue;
        }
        libraries.push_back(std::move(l));
    }
    return libraries;
}

std::map<StringId, std::string> PatternTexts()
{
    std::map<StringId, std::string> texts;
    std::ifstream in(LAYOUT_PATTERNS);
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos)
            texts[(StringId)std::stoul(line.substr(0, tab))] = line.substr(tab + 1);
    }
    return texts;
}

uint8_t* LookUp(void* context, StringId id, uint32_t& byteCount)
{
    auto* texts = static_cast<std::map<StringId, std::string>*>(context);
    byteCount = 0;
    auto it = texts->find(id);
    if (it == texts->end())
        return nullptr;
    return HexTextToBytes(it->second.data(), (int)it->second.size(), byteCount);
}

std::vector<KeyMapEntry> CleanKeyMap()
{
    std::vector<KeyMapEntry> rows(KeyMapTable, KeyMapTable + kKeyMapRows);
    for (KeyMapEntry& row : rows)
        row.virtualKey = 0;
    return rows;
}

KeyMapEntry& Row(std::vector<KeyMapEntry>& rows, uint16_t scanCode)
{
    for (KeyMapEntry& row : rows) {
        if (row.scanCode == scanCode)
            return row;
    }
    ADD_FAILURE() << "no row " << std::hex << scanCode;
    return rows.back();
}

uint16_t GetU16(const std::vector<uint8_t>& bytes, long at)
{
    return (uint16_t)(bytes[at] | (bytes[at + 1] << 8));
}

// Index of the record of a scan code in a prefixed table, or -1.
int RecordIndex(const std::vector<VscVkRecord>& records, uint16_t scanCode)
{
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].scanCode == (scanCode & 0xFF))
            return (int)i;
    }
    return -1;
}

} // namespace

TEST(LayoutPatch, RealLibrariesTakeTheReassignmentsAndTheComma)
{
    std::map<StringId, std::string> texts = PatternTexts();
    ASSERT_EQ(6u, texts.size());
    ASSERT_EQ(60u, Libraries().size());

    std::vector<KeyMapEntry> rows = CleanKeyMap();
    Row(rows, 0x003A).virtualKey = 0x00A2;   // Caps Lock: Left Ctrl
    Row(rows, 0x001D).virtualKey = 0x0014;   // Left Ctrl: Caps Lock
    Row(rows, 0x0029).virtualKey = 0x00FF;   // the key left of 1: no virtual key
    Row(rows, 0x0038).virtualKey = 0x00A5;   // Left Alt: Right Alt (without the flag)
    Row(rows, 0xE05B).virtualKey = 0x0000;   // unchanged
    Row(rows, 0xE01D).virtualKey = 0x01A4;   // Right Ctrl: Left Alt + KBDEXT
    Row(rows, 0xE05D).virtualKey = 0x00FF;   // Menu: nothing
    Row(rows, 0xE11D).virtualKey = 0x0291;   // Pause: Scroll Lock + KBDMULTIVK
    Row(rows, 0x00FF).virtualKey = 0x0041;   // the pseudo-key: never written
    // A key the library's 0xE0 table does not have (the copy's row of Play/Pause renamed).
    Row(rows, 0xE022).scanCode = 0xE07F;
    Row(rows, 0xE07F).virtualKey = 0x0041;

    for (const Library& l : Libraries()) {
        SCOPED_TRACE(l.path);
        std::vector<uint8_t> image = l.bytes;
        ASSERT_EQ(1, PatchLayoutImage(image.data(), (uint32_t)image.size(), rows.data(),
                                      (int)rows.size(), l.variant, 0, LookUp, &texts));

        // Every change, located through the descriptor.
        const LayoutTables& t = l.tables;
        std::map<long, uint16_t> expected;   // offset of a u16 -> its new value
        for (uint16_t sc : {0x003A, 0x001D, 0x0029, 0x0038})
            expected[t.scanTable + 2 * sc] = Row(rows, sc).virtualKey;
        expected[t.e0Table + 4 * RecordIndex(t.e0, 0xE01D) + 2] = 0x01A4;
        expected[t.e0Table + 4 * RecordIndex(t.e0, 0xE05D) + 2] = 0x00FF;
        expected[t.e1Table + 4 * RecordIndex(t.e1, 0xE11D) + 2] = 0x0291;
        ASSERT_EQ(7u, expected.size());
        EXPECT_EQ(-1, RecordIndex(t.e0, 0xE07F));
        std::set<long> allowed;
        for (const auto& e : expected) {
            EXPECT_EQ(e.second, GetU16(image, e.first)) << "at " << e.first;
            allowed.insert(e.first);
            allowed.insert(e.first + 1);
        }
        allowed.insert(t.decimalChars);
        allowed.insert(t.decimalChars + 2);
        for (size_t i = 0; i < image.size(); ++i) {
            if (image[i] != l.bytes[i]) {
                EXPECT_TRUE(allowed.count((long)i)) << "unexpected change at " << i;
            }
        }
        EXPECT_EQ(',', image[t.decimalChars]);
        EXPECT_EQ(0, image[t.decimalChars + 1]);
        EXPECT_EQ(',', image[t.decimalChars + 2]);
        EXPECT_EQ(0, image[t.decimalChars + 3]);

        // The patched library read as the system reads it.
        CPeImage patched;
        LayoutTables after;
        std::string error;
        ASSERT_TRUE(patched.Parse(image));
        ASSERT_TRUE(LocateLayoutTables(patched, after, error)) << error;
        for (int sc = 0; sc < after.scanCount; ++sc) {
            uint16_t want = t.scanToVk[sc];
            if (sc == 0x3A || sc == 0x1D || sc == 0x29 || sc == 0x38)
                want = Row(rows, (uint16_t)sc).virtualKey;
            EXPECT_EQ(want, after.scanToVk[sc]) << std::hex << sc;
        }
        ASSERT_EQ(t.e0.size(), after.e0.size());
        for (size_t i = 0; i < after.e0.size(); ++i) {
            uint16_t want = t.e0[i].virtualKey;
            if (t.e0[i].scanCode == 0x1D)
                want = 0x01A4;
            if (t.e0[i].scanCode == 0x5D)
                want = 0x00FF;
            EXPECT_EQ(t.e0[i].scanCode, after.e0[i].scanCode);
            EXPECT_EQ(want, after.e0[i].virtualKey) << std::hex << (int)t.e0[i].scanCode;
        }
        ASSERT_EQ(1u, after.e1.size());
        EXPECT_EQ(0x0291, after.e1[0].virtualKey);
    }
}

TEST(LayoutPatch, RealLibrariesKeepTheirDecimalPointUnlessAsked)
{
    std::map<StringId, std::string> texts = PatternTexts();
    for (int decimalKey : {1, -1, 0}) {
        for (const Library& l : Libraries()) {
            SCOPED_TRACE(l.path + " decimal key " + std::to_string(decimalKey));
            std::vector<uint8_t> image = l.bytes;
            // Without a key map the scan-code patterns are not even looked at.
            std::map<StringId, std::string> decimalOnly = {{146, texts[146]}};
            ASSERT_EQ(1, PatchLayoutImage(image.data(), (uint32_t)image.size(), nullptr, 0,
                                          l.variant, decimalKey, LookUp, &decimalOnly));
            long at = l.tables.decimalChars;
            size_t changes = 0;
            for (size_t i = 0; i < image.size(); ++i)
                changes += image[i] != l.bytes[i];
            EXPECT_EQ(decimalKey == 0 ? 2u : 0u, changes);
            EXPECT_EQ(decimalKey == 0 ? ',' : '.', image[at]);
            EXPECT_EQ(decimalKey == 0 ? ',' : '.', image[at + 2]);
        }
    }
}

TEST(LayoutPatch, RealLibrariesNeedTheirVariantsPattern)
{
    // Without the variant's own scan-code pattern, or with it in lower case, no build is
    // patched.
    std::map<StringId, std::string> texts = PatternTexts();
    for (const Library& l : Libraries()) {
        SCOPED_TRACE(l.path);
        std::map<StringId, std::string> without = texts;
        without.erase((StringId)(147 + l.variant));
        std::vector<uint8_t> image = l.bytes;
        std::vector<KeyMapEntry> rows = CleanKeyMap();
        EXPECT_EQ(0, PatchLayoutImage(image.data(), (uint32_t)image.size(), rows.data(),
                                      (int)rows.size(), l.variant, 1, LookUp, &without));
        // A lower-case copy of the right pattern fails as well.
        std::map<StringId, std::string> lower = texts;
        for (char& c : lower[(StringId)(147 + l.variant)])
            c = (char)tolower((unsigned char)c);
        if (lower[(StringId)(147 + l.variant)] != texts[(StringId)(147 + l.variant)]) {
            EXPECT_EQ(0, PatchLayoutImage(image.data(), (uint32_t)image.size(), rows.data(),
                                          (int)rows.size(), l.variant, 1, LookUp, &lower));
        }
        EXPECT_EQ(l.bytes, image);
    }
}

TEST(LayoutPatch, RealLibrariesWithEveryKeyReassigned)
{
    // Every row takes the value 0x00FF: each table element that a row names becomes 0x00FF,
    // and nothing else changes.
    std::map<StringId, std::string> texts = PatternTexts();
    std::vector<KeyMapEntry> rows = CleanKeyMap();
    for (KeyMapEntry& row : rows) {
        if (row.scanCode)
            row.virtualKey = 0x00FF;
    }
    for (const Library& l : Libraries()) {
        SCOPED_TRACE(l.path);
        std::vector<uint8_t> image = l.bytes;
        ASSERT_EQ(1, PatchLayoutImage(image.data(), (uint32_t)image.size(), rows.data(),
                                      (int)rows.size(), l.variant, 0, LookUp, &texts));
        CPeImage patched;
        LayoutTables after;
        std::string error;
        ASSERT_TRUE(patched.Parse(image));
        ASSERT_TRUE(LocateLayoutTables(patched, after, error)) << error;
        int named = 0;
        for (int sc = 0; sc < after.scanCount; ++sc) {
            bool hasRow = false;
            for (const KeyMapEntry& row : rows)
                hasRow = hasRow || (row.scanCode == sc && sc != 0);
            named += hasRow;
            EXPECT_EQ(hasRow ? 0x00FF : l.tables.scanToVk[sc], after.scanToVk[sc]) << sc;
        }
        EXPECT_EQ(103, named);
        for (const VscVkRecord& r : after.e0)
            EXPECT_EQ(0x00FF, r.virtualKey);
        for (const VscVkRecord& r : after.e1)
            EXPECT_EQ(0x00FF, r.virtualKey);
        EXPECT_EQ(',', image[l.tables.decimalChars]);
    }
}
