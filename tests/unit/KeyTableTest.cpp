// The key table and the operations on a working copy of it.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "engine/KeyTable.h"

namespace {

// A working copy as the installer object makes it: the table with every reassignment cleared.
std::vector<KeyMapEntry> FreshCopy()
{
    std::vector<KeyMapEntry> rows(KeyMapTable, KeyMapTable + kKeyMapRows);
    for (KeyMapEntry& row : rows)
        row.virtualKey = 0;
    return rows;
}

int RowOf(uint16_t scanCode)
{
    for (int i = 0; i < kKeyMapRows; ++i) {
        if (KeyMapTable[i].scanCode == scanCode)
            return i;
    }
    return -1;
}

uint8_t* Records(const std::vector<uint16_t>& pairs, uint32_t& byteCount)
{
    byteCount = (uint32_t)pairs.size() * 2;
    uint8_t* buffer = (uint8_t*)malloc(byteCount ? byteCount : 1);
    for (size_t i = 0; i < pairs.size(); ++i) {
        buffer[i * 2] = (uint8_t)(pairs[i] & 0xFF);
        buffer[i * 2 + 1] = (uint8_t)(pairs[i] >> 8);
    }
    return buffer;
}

} // namespace

TEST(KeyTable, ShapeOfTheTable)
{
    // Keys in ascending scan-code order, then the end row with the "unchanged" label, then a
    // row of zeros.
    for (int i = 1; i < 144; ++i)
        EXPECT_LT(KeyMapTable[i - 1].scanCode, KeyMapTable[i].scanCode) << "row " << i;
    for (int i = 0; i < 144; ++i) {
        EXPECT_NE(0, KeyMapTable[i].scanCode) << "row " << i;
        EXPECT_NE(0, KeyMapTable[i].virtualKey & 0xFF) << "row " << i;
        EXPECT_NE(0, KeyMapTable[i].labelId) << "row " << i;
    }
    for (int i = 0; i < kKeyMapRows; ++i)
        EXPECT_EQ(0, KeyMapTable[i].scanRemap) << "row " << i;
    EXPECT_EQ(0, KeyMapTable[144].scanCode);
    EXPECT_EQ(0, KeyMapTable[144].virtualKey);
    EXPECT_EQ(154, KeyMapTable[144].labelId);
    const KeyMapEntry zero = {0, 0, 0, 0};
    EXPECT_EQ(0, memcmp(&zero, &KeyMapTable[145], sizeof zero));
}

TEST(KeyTable, LayoutFlagsFollowTheKeyKind)
{
    // Keypad keys that double as cursor keys carry KBDSPECIAL | KBDNUMPAD and nothing else
    // does; prefixed keys carry KBDEXT except Print Screen and Pause.
    const uint16_t keypad[] = {0x47, 0x48, 0x49, 0x4B, 0x4C, 0x4D, 0x4F, 0x50, 0x51, 0x52, 0x53};
    for (int i = 0; i < 144; ++i) {
        uint16_t sc = KeyMapTable[i].scanCode;
        uint16_t flags = KeyMapTable[i].virtualKey & 0xFF00;
        bool isKeypad = false;
        for (uint16_t k : keypad)
            isKeypad = isKeypad || k == sc;
        if (isKeypad)
            EXPECT_EQ(0x0C00, flags) << "row " << i;
        else if ((sc & 0xFF00) == 0xE000 && sc != 0xE037)
            EXPECT_EQ(0x0100, flags) << "row " << i;
        else if (sc == 0x0036)
            EXPECT_EQ(0x0100, flags) << "right shift";
        else
            EXPECT_EQ(0, flags) << "row " << i;
    }
    // Keys of the same name share their label: keypad Home and the Home key.
    EXPECT_EQ(KeyMapTable[RowOf(0x0047)].labelId, KeyMapTable[RowOf(0xE047)].labelId);
    EXPECT_EQ(KeyMapTable[RowOf(0x004C)].labelId, KeyMapTable[RowOf(0x0059)].labelId);
}

TEST(KeyTable, FindDefaultKey)
{
    struct Case {
        uint32_t scanCode;
        int row;   // -1: none
    } cases[] = {
        {0x0001, 0},      {0x003A, 57},   {0x0053, 82},  {0x0056, 83},    {0x00FF, 103},
        {0xE010, 104},    {0xE05B, 129},  {0xE11D, 143}, {0x1003A, 57},   {0xFFFF003A, 57},
        {0x0000, -1},     {0x0054, -1},   {0x00FE, -1},  {0xE0FF, -1},    {0xE11E, -1},
        {0x003A0000, -1},
    };
    for (const Case& c : cases) {
        const KeyMapEntry* row = FindDefaultKey(c.scanCode);
        if (c.row < 0)
            EXPECT_EQ(nullptr, row) << std::hex << c.scanCode;
        else
            EXPECT_EQ(&KeyMapTable[c.row], row) << std::hex << c.scanCode;
    }
}

TEST(KeyTable, FindKeyReturnsTheRowOfTheCopy)
{
    std::vector<KeyMapEntry> rows = FreshCopy();
    EXPECT_EQ(&rows[57], FindKey(rows.data(), kKeyMapRows, 0x003A));
    EXPECT_EQ(&rows[143], FindKey(rows.data(), kKeyMapRows, 0xE11D));
    EXPECT_EQ(nullptr, FindKey(rows.data(), kKeyMapRows, 0x0054));
    EXPECT_EQ(nullptr, FindKey(rows.data(), kKeyMapRows, 0));
    EXPECT_EQ(nullptr, FindKey(nullptr, kKeyMapRows, 0x003A));
    // The walk ends at the first zero scan code and never passes the row count.
    rows[10].scanCode = 0;
    EXPECT_EQ(&rows[9], FindKey(rows.data(), kKeyMapRows, 0x000A));
    EXPECT_EQ(nullptr, FindKey(rows.data(), kKeyMapRows, 0x003A));
    EXPECT_EQ(nullptr, FindKey(rows.data(), 5, 0x0009));
}

TEST(KeyTable, NormaliseClearsDefaultsOnly)
{
    struct Case {
        int row;
        uint16_t virtualKey, scanRemap;
        uint16_t wantVirtualKey, wantScanRemap;
    } cases[] = {
        {57, 0x0014, 0, 0, 0},             // Caps Lock given its own default
        {57, 0x00A2, 0, 0x00A2, 0},        // Caps Lock made a left Control
        {57, 0, 0x003A, 0, 0},             // Caps Lock remapped to itself
        {57, 0, 0x001D, 0, 0x001D},        // Caps Lock sends left Control
        {57, 0x00FF, 0x00FF, 0x00FF, 0x00FF},
        {70, 0x0C24, 0xE047, 0, 0xE047},   // keypad Home: default with flags, remap elsewhere
        {70, 0x0024, 0, 0x0024, 0},        // the same key without its flags is a change
        {119, 0x0124, 0xE047, 0, 0},
        {144, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<KeyMapEntry> rows = FreshCopy();
        rows[c.row].virtualKey = c.virtualKey;
        rows[c.row].scanRemap = c.scanRemap;
        EXPECT_EQ(1, NormaliseKeyMap(rows.data(), kKeyMapRows));
        EXPECT_EQ(c.wantVirtualKey, rows[c.row].virtualKey) << "row " << c.row;
        EXPECT_EQ(c.wantScanRemap, rows[c.row].scanRemap) << "row " << c.row;
    }
    std::vector<KeyMapEntry> rows = FreshCopy();
    EXPECT_EQ(0, NormaliseKeyMap(nullptr, kKeyMapRows));
    EXPECT_EQ(0, NormaliseKeyMap(rows.data(), 0));
}

TEST(KeyTable, NormaliseComparesRowByIndex)
{
    // A row is compared with the table row of the same index, not looked up by scan code.
    std::vector<KeyMapEntry> rows = FreshCopy();
    rows[0].virtualKey = KeyMapTable[1].virtualKey;
    rows[1].virtualKey = KeyMapTable[1].virtualKey;
    NormaliseKeyMap(rows.data(), kKeyMapRows);
    EXPECT_EQ(KeyMapTable[1].virtualKey, rows[0].virtualKey);
    EXPECT_EQ(0, rows[1].virtualKey);
}

TEST(KeyTable, LoadAppliesRecords)
{
    struct Case {
        const char* what;
        std::vector<uint16_t> pairs;   // scan code, virtual key, ...
        std::vector<std::pair<int, uint16_t>> want;   // rows with a reassignment
        uint32_t trim;   // bytes cut from the end
    } cases[] = {
        {"one key", {0x003A, 0x00A2}, {{57, 0x00A2}}, 0},
        {"two keys", {0xE05B, 0x00FF, 0x001D, 0x0014}, {{129, 0x00FF}, {28, 0x0014}}, 0},
        {"later record wins", {0x003A, 0x00A2, 0x003A, 0x00A0}, {{57, 0x00A0}}, 0},
        {"default is cleared", {0x003A, 0x0014, 0x0047, 0x0C24}, {}, 0},
        {"zero keeps the key", {0x003A, 0x00A2, 0x003A, 0x0000}, {{57, 0x00A2}}, 0},
        {"unknown scan code", {0x0054, 0x0041, 0xE0FF, 0x0041}, {}, 0},
        {"scan code zero names no key", {0x0000, 0x0041}, {}, 0},
        {"partial record dropped", {0x003A, 0x00A2, 0x001D, 0x0014}, {{57, 0x00A2}}, 1},
        {"partial record dropped 3", {0x003A, 0x00A2, 0x001D, 0x0014}, {{57, 0x00A2}}, 3},
    };
    for (const Case& c : cases) {
        std::vector<KeyMapEntry> rows = FreshCopy();
        uint32_t byteCount = 0;
        uint8_t* buffer = Records(c.pairs, byteCount);
        EXPECT_EQ(1, LoadKeyAssignments(rows.data(), kKeyMapRows, buffer, byteCount - c.trim))
            << c.what;
        std::vector<KeyMapEntry> want = FreshCopy();
        for (const auto& w : c.want)
            want[w.first].virtualKey = w.second;
        for (int i = 0; i < kKeyMapRows; ++i)
            EXPECT_EQ(want[i].virtualKey, rows[i].virtualKey) << c.what << ", row " << i;
    }
}

TEST(KeyTable, LoadRefusesWhatItCannotApply)
{
    std::vector<KeyMapEntry> rows = FreshCopy();
    uint32_t byteCount = 0;
    EXPECT_EQ(0, LoadKeyAssignments(rows.data(), kKeyMapRows, nullptr, 4));
    // The buffer is the callee's in every case (the leak checker of the sanitizer build
    // reports it otherwise).
    uint8_t* buffer = Records({0x003A, 0x00A2}, byteCount);
    EXPECT_EQ(0, LoadKeyAssignments(rows.data(), kKeyMapRows, buffer, 0));
    buffer = Records({0x003A, 0x00A2}, byteCount);
    EXPECT_EQ(0, LoadKeyAssignments(nullptr, kKeyMapRows, buffer, byteCount));
    buffer = Records({0x003A, 0x00A2}, byteCount);
    EXPECT_EQ(0, LoadKeyAssignments(rows.data(), 0, buffer, byteCount));
    buffer = Records({0x003A, 0x00A2}, byteCount);
    EXPECT_EQ(1, LoadKeyAssignments(rows.data(), kKeyMapRows, buffer, 3));
    for (int i = 0; i < kKeyMapRows; ++i)
        EXPECT_EQ(0, rows[i].virtualKey) << "row " << i;
}

TEST(KeyTable, SaveWritesOneRecordPerReassignedKeyInRowOrder)
{
    std::vector<KeyMapEntry> rows = FreshCopy();
    rows[129].virtualKey = 0x00FF;   // left Windows key: no virtual key
    rows[57].virtualKey = 0x00A2;
    rows[28].virtualKey = 0x00A2;    // left Control given its default: not recorded
    rows[144].virtualKey = 0x0041;   // behind the end of the walk
    rows[57].scanRemap = 0x001D;     // remaps are not part of the record
    uint32_t byteCount = 99;
    uint8_t* buffer = SaveKeyAssignments(rows.data(), kKeyMapRows, byteCount);
    ASSERT_NE(nullptr, buffer);
    const uint8_t want[] = {0x3A, 0x00, 0xA2, 0x00, 0x5B, 0xE0, 0xFF, 0x00};
    ASSERT_EQ(sizeof want, byteCount);
    EXPECT_EQ(0, memcmp(want, buffer, sizeof want));
    EXPECT_EQ(0, rows[28].virtualKey) << "saving normalises first";
    free(buffer);
}

TEST(KeyTable, SaveWithoutReassignmentsGivesAnEmptyBlock)
{
    std::vector<KeyMapEntry> rows = FreshCopy();
    rows[0].virtualKey = KeyMapTable[0].virtualKey;
    uint32_t byteCount = 99;
    uint8_t* buffer = SaveKeyAssignments(rows.data(), kKeyMapRows, byteCount);
    EXPECT_NE(nullptr, buffer);
    EXPECT_EQ(0u, byteCount);
    free(buffer);
    byteCount = 99;
    EXPECT_EQ(nullptr, SaveKeyAssignments(nullptr, kKeyMapRows, byteCount));
    EXPECT_EQ(0u, byteCount);
}

TEST(KeyTable, SaveThenLoadRestoresTheMap)
{
    std::vector<KeyMapEntry> rows = FreshCopy();
    // Every key of the table reassigned to some other key's default.
    for (int i = 0; i < 144; ++i)
        rows[i].virtualKey = KeyMapTable[(i * 7 + 3) % 144].virtualKey;
    rows[103].virtualKey = 0x00A2;
    uint32_t byteCount = 0;
    uint8_t* buffer = SaveKeyAssignments(rows.data(), kKeyMapRows, byteCount);
    ASSERT_NE(nullptr, buffer);
    std::vector<KeyMapEntry> loaded = FreshCopy();
    EXPECT_EQ(1, LoadKeyAssignments(loaded.data(), kKeyMapRows, buffer, byteCount));
    int changed = 0;
    for (int i = 0; i < kKeyMapRows; ++i) {
        EXPECT_EQ(rows[i].virtualKey, loaded[i].virtualKey) << "row " << i;
        changed += rows[i].virtualKey != 0;
    }
    EXPECT_EQ(byteCount, (uint32_t)changed * 4);
}
