// The built keyboard-layout libraries, read as files: their shape, the virtual keys of their
// scan-code tables against the key table, and the patterns of strings 146 to 151 that the
// installer finds their tables by.
#include "LayoutTables.h"
#include "engine/KeyTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace
{
const uint16_t kMachineX86 = 0x014C;
const uint16_t kMachineX64 = 0x8664;

struct SlotShape
{
    int slot;
    uint16_t machine;
    uint16_t major;
    uint16_t minor;
};

// The platform slots that hold a library, with the architecture and Windows version each
// serves; 3, 6 and 9 (IA-64) hold none.
const SlotShape kSlots[] = {
    {0, kMachineX86, 5, 0},  {1, kMachineX86, 5, 1},  {2, kMachineX86, 5, 2},
    {4, kMachineX64, 5, 2},  {5, kMachineX86, 6, 0},  {7, kMachineX64, 6, 0},
    {8, kMachineX86, 6, 1},  {10, kMachineX64, 6, 1}, {11, kMachineX86, 6, 2},
    {12, kMachineX64, 6, 2},
};

struct Build
{
    std::string path;
    int set = 0;
    int variant = 0;
    int slot = 0;
    CPeImage image;
    LayoutTables tables;
};

const std::vector<Build>& Builds()
{
    static std::vector<Build> builds;
    static bool loaded = false;
    if (loaded)
        return builds;
    loaded = true;
    std::ifstream list(LAYOUT_BUILD_LIST);
    std::string line;
    while (std::getline(list, line))
    {
        std::istringstream fields(line);
        Build b;
        std::getline(fields, b.path, '\t');
        fields >> b.set >> b.variant >> b.slot;
        std::vector<uint8_t> bytes;
        if (!fields || !ReadFileBytes(b.path, bytes) || !b.image.Parse(bytes))
        {
            ADD_FAILURE() << "cannot read the build " << line;
            continue;
        }
        std::string error;
        if (!LocateLayoutTables(b.image, b.tables, error))
            ADD_FAILURE() << b.path << ": " << error;
        builds.push_back(std::move(b));
    }
    return builds;
}

std::map<int, std::string> PatternTexts()
{
    std::map<int, std::string> texts;
    std::ifstream in(LAYOUT_PATTERNS);
    std::string line;
    while (std::getline(in, line))
    {
        size_t tab = line.find('\t');
        if (tab != std::string::npos)
            texts[std::stoi(line.substr(0, tab))] = line.substr(tab + 1);
    }
    return texts;
}

// The installer's reading of a pattern text: upper-case hexadecimal digits only.
bool HexBytes(const std::string& text, std::vector<uint8_t>& bytes)
{
    static const std::string digits = "0123456789ABCDEF";
    bytes.clear();
    if (text.empty() || text.size() % 2)
        return false;
    for (size_t i = 0; i < text.size(); i += 2)
    {
        size_t hi = digits.find(text[i]), lo = digits.find(text[i + 1]);
        if (hi == std::string::npos || lo == std::string::npos)
            return false;
        bytes.push_back((uint8_t)(hi * 16 + lo));
    }
    return true;
}

const KeyMapEntry* RowFor(uint16_t scanCode)
{
    for (int i = 0; i < kKeyMapRows && KeyMapTable[i].scanCode; ++i)
        if (KeyMapTable[i].scanCode == scanCode)
            return &KeyMapTable[i];
    return nullptr;
}

void PutU16(std::vector<uint8_t>& image, long at, uint16_t value)
{
    image[at] = (uint8_t)value;
    image[at + 1] = (uint8_t)(value >> 8);
}
}

TEST(LayoutLibrary, EveryFilledSlotHasOneBuildOfTheRightShape)
{
    const std::vector<Build>& builds = Builds();
    ASSERT_EQ(builds.size(), 2u * 3u * (sizeof(kSlots) / sizeof(kSlots[0])));
    std::set<std::tuple<int, int, int>> seen;
    for (const Build& b : builds)
    {
        SCOPED_TRACE(b.path);
        EXPECT_TRUE(seen.insert({b.set, b.variant, b.slot}).second) << "slot filled twice";
        const SlotShape* shape = nullptr;
        for (const SlotShape& s : kSlots)
            if (s.slot == b.slot)
                shape = &s;
        ASSERT_NE(shape, nullptr) << "a library in slot " << b.slot;
        const CPeImage& pe = b.image;
        EXPECT_EQ(pe.Machine(), shape->machine);
        EXPECT_EQ(pe.Is64(), shape->machine == kMachineX64);
        EXPECT_TRUE(pe.Characteristics() & 0x2000) << "not a DLL";
        EXPECT_EQ(pe.EntryPoint(), 0u);
        EXPECT_EQ(pe.Subsystem(), 1) << "not the native subsystem";
        EXPECT_EQ(pe.SubsystemMajor(), shape->major);
        EXPECT_EQ(pe.SubsystemMinor(), shape->minor);
        EXPECT_EQ(pe.OsMajor(), shape->major);
        EXPECT_EQ(pe.OsMinor(), shape->minor);
        EXPECT_EQ(pe.ImageBase(), 0x5FFF0000u);
        uint32_t rva, size;
        ASSERT_TRUE(pe.DataDirectory(1, rva, size));
        EXPECT_EQ(rva, 0u) << "the library imports something";
        EXPECT_EQ(size, 0u);
        EXPECT_NE(pe.FindExport("KbdLayerDescriptor"), 0u);
        // Code and tables share one image section.
        int withCode = 0;
        for (const PeSection& s : pe.Sections())
            withCode += (s.characteristics & 0x20) ? 1 : 0;
        EXPECT_EQ(withCode, 1);
        EXPECT_EQ(pe.Sections()[0].name, ".data");
    }
}

TEST(LayoutLibrary, SetsDifferOnlyInTheShiftLockFlag)
{
    for (const Build& b : Builds())
    {
        SCOPED_TRACE(b.path);
        uint32_t expected = 0x00010000u | 0x0001u | (b.set == 1 ? 0x0002u : 0u);
        EXPECT_EQ(b.tables.localeFlags, expected);
        EXPECT_EQ(b.tables.keyboardType, 4u);
    }
    // The same variant and slot in the two sets: one flag apart in the code and tables (the
    // version resource's description differs too).
    for (const Build& a : Builds())
        for (const Build& b : Builds())
        {
            if (a.set != 0 || b.set != 1 || a.variant != b.variant || a.slot != b.slot)
                continue;
            SCOPED_TRACE(a.path + " / " + b.path);
            std::vector<uint8_t> x = a.image.Bytes(), y = b.image.Bytes();
            long flags = a.tables.tables + (a.image.Is64() ? 80 : 40);
            EXPECT_EQ(x[flags], 0x01);
            EXPECT_EQ(y[flags], 0x03);
            // The section of code and tables is identical but for that byte.
            const PeSection& sa = a.image.Sections()[0];
            const PeSection& sb = b.image.Sections()[0];
            ASSERT_EQ(sa.rawOffset, sb.rawOffset);
            ASSERT_EQ(sa.rawSize, sb.rawSize);
            ASSERT_LE((size_t)sa.rawOffset + sa.rawSize, x.size());
            y[flags] = x[flags];
            EXPECT_TRUE(std::equal(x.begin() + sa.rawOffset, x.begin() + sa.rawOffset + sa.rawSize,
                                   y.begin() + sb.rawOffset));
        }
}

TEST(LayoutLibrary, ScanCodeTablesHoldTheKeyTableDefaults)
{
    for (const Build& b : Builds())
    {
        SCOPED_TRACE(b.path);
        const LayoutTables& t = b.tables;
        ASSERT_GE(t.scanCount, 127);
        int rowsChecked = 0;
        for (int i = 0; i < kKeyMapRows && KeyMapTable[i].scanCode; ++i)
        {
            const KeyMapEntry& row = KeyMapTable[i];
            if (row.scanCode < t.scanCount)
            {
                EXPECT_EQ(t.scanToVk[row.scanCode], row.virtualKey) << "row " << i;
                ++rowsChecked;
                continue;
            }
            const std::vector<VscVkRecord>* records = nullptr;
            if ((row.scanCode & 0xFF00) == 0xE000)
                records = &t.e0;
            else if ((row.scanCode & 0xFF00) == 0xE100)
                records = &t.e1;
            else
                continue;   // the pseudo-key 0x00FF
            bool found = false;
            for (const VscVkRecord& r : *records)
                if (r.scanCode == (row.scanCode & 0xFF))
                {
                    EXPECT_EQ(r.virtualKey, row.virtualKey) << "row " << i;
                    found = true;
                    break;
                }
            EXPECT_TRUE(found) << "row " << i << " is missing from the prefixed table";
            ++rowsChecked;
        }
        EXPECT_EQ(rowsChecked, 143);
        // And the library holds no prefixed key the key table does not know.
        for (const VscVkRecord& r : t.e0)
            EXPECT_NE(RowFor(0xE000 | r.scanCode), nullptr) << std::hex << (int)r.scanCode;
        for (const VscVkRecord& r : t.e1)
            EXPECT_NE(RowFor(0xE100 | r.scanCode), nullptr) << std::hex << (int)r.scanCode;
        // Scan codes without a row give no key, but for 0x54 (Alt+Print Screen).
        for (int sc = 0; sc < t.scanCount; ++sc)
        {
            if (RowFor((uint16_t)sc))
                continue;
            EXPECT_EQ(t.scanToVk[sc], sc == 0x54 ? 0x2C : 0xFF) << std::hex << sc;
        }
    }
}

TEST(LayoutLibrary, DecimalKeyTypesAPointByDefault)
{
    for (const Build& b : Builds())
    {
        SCOPED_TRACE(b.path);
        const std::vector<uint8_t>& x = b.image.Bytes();
        long at = b.tables.decimalChars;
        ASSERT_GE(at, 2);
        EXPECT_EQ(x[at - 2], 0x6E);   // the row's virtual key: VK_DECIMAL
        EXPECT_EQ(x[at], '.');
        EXPECT_EQ(x[at + 1], 0);
        EXPECT_EQ(x[at + 2], '.');
        EXPECT_EQ(x[at + 3], 0);
    }
}

TEST(LayoutLibrary, EachPatternIsFoundFirstAtItsTableInEveryBuild)
{
    std::map<int, std::string> texts = PatternTexts();
    ASSERT_EQ(texts.size(), 6u);
    for (const Build& b : Builds())
    {
        SCOPED_TRACE(b.path);
        const LayoutTables& t = b.tables;
        struct
        {
            int id;
            long target;
        } expected[] = {
            {146, t.decimalChars},
            {147 + b.variant, t.scanTable},
            {150, t.e0Table},
            {151, t.e1Table},
        };
        for (auto& e : expected)
        {
            std::vector<uint8_t> pattern;
            ASSERT_TRUE(HexBytes(texts[e.id], pattern)) << "string " << e.id;
            EXPECT_GE(pattern.size(), 8u) << "string " << e.id;
            EXPECT_EQ(FirstOccurrence(b.image.Bytes(), pattern), e.target) << "string " << e.id;
        }
    }
}

// The installer patches the scan-code table, then finds and patches the 0xE0 table, then
// the 0xE1 table, then finds the decimal key, each time in the image as patched so far. With
// every key of the key table reassigned, every later pattern must still be found first at its
// table, and every write must land inside the table it was meant for.
TEST(LayoutLibrary, PatternsSurviveTheEarlierPatches)
{
    std::map<int, std::string> texts = PatternTexts();
    const uint16_t reassignments[] = {0x00FF, 0x0000, 0xFFFF, 0x1000, 0x01B1};
    for (const Build& b : Builds())
        for (uint16_t vk : reassignments)
        {
            SCOPED_TRACE(b.path + " vk " + std::to_string(vk));
            std::vector<uint8_t> image = b.image.Bytes();
            std::vector<uint8_t> pattern;
            ASSERT_TRUE(HexBytes(texts[147 + b.variant], pattern));
            long scan = FirstOccurrence(image, pattern);
            ASSERT_EQ(scan, b.tables.scanTable);
            for (int i = 0; i < kKeyMapRows; ++i)
                if (KeyMapTable[i].scanCode && KeyMapTable[i].scanCode < 0x7F)
                    PutU16(image, scan + 2 * KeyMapTable[i].scanCode, vk);
            const struct
            {
                int id;
                long table;
                uint16_t prefix;
            } prefixed[] = {{150, b.tables.e0Table, 0xE000}, {151, b.tables.e1Table, 0xE100}};
            for (auto& p : prefixed)
            {
                ASSERT_TRUE(HexBytes(texts[p.id], pattern));
                long table = FirstOccurrence(image, pattern);
                ASSERT_EQ(table, p.table) << "string " << p.id;
                for (int i = 0; i < kKeyMapRows; ++i)
                {
                    if ((KeyMapTable[i].scanCode & 0xFF00) != p.prefix)
                        continue;
                    for (long r = table; image[r] != 0; r += 4)
                        if (image[r] == (KeyMapTable[i].scanCode & 0xFF))
                        {
                            PutU16(image, r + 2, vk);
                            break;
                        }
                }
            }
            ASSERT_TRUE(HexBytes(texts[146], pattern));
            EXPECT_EQ(FirstOccurrence(image, pattern), b.tables.decimalChars);
        }
}
