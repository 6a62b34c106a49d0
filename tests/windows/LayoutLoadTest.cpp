// The x64 layout libraries as the system's loader sees them: each loads, its descriptor
// hands out tables inside the loaded image, and the scan-code tables it reaches give the key
// table's defaults for Caps Lock, Left Shift and the right-hand extended keys.
#include "engine/KeyTable.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
// The table structure as the system reads it on x64 (8-byte pointers), declared here on its
// own so that a mistake in the library's declaration cannot hide behind the same mistake.
struct ScanRecord
{
    BYTE scanCode;
    WORD virtualKey;
};

struct TablesView
{
    const void* modifiers;
    const void* characters;
    const void* deadKeys;
    const void* keyNames;
    const void* extendedKeyNames;
    const void* deadKeyNames;
    const WORD* scanToVk;
    BYTE scanCount;
    const ScanRecord* e0;
    const ScanRecord* e1;
    DWORD localeFlags;
    BYTE ligatureMaximum;
    BYTE ligatureSize;
    const void* ligatures;
    DWORD type;
    DWORD subtype;
};

static_assert(sizeof(TablesView) == 104, "the x64 table structure is 104 bytes");

typedef const TablesView*(__cdecl* DescriptorProc)();

std::wstring LibraryPath(int set, int variant, int slot)
{
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"layout\\kbdklwk-s" + std::to_wstring(set) + L"-v" + std::to_wstring(variant)
        + L"-slot" + std::to_wstring(slot) + L".dll";
}

// The virtual key the library's tables give a scan code (0xE0nn and 0xE1nn through the
// prefixed tables), or -1 when they have none.
int VirtualKeyOf(const TablesView* t, uint16_t scanCode)
{
    if (scanCode < t->scanCount)
        return t->scanToVk[scanCode];
    const ScanRecord* records = (scanCode & 0xFF00) == 0xE000 ? t->e0
        : (scanCode & 0xFF00) == 0xE100                      ? t->e1
                                                               : nullptr;
    for (const ScanRecord* r = records; r && r->scanCode; ++r)
        if (r->scanCode == (scanCode & 0xFF))
            return r->virtualKey;
    return -1;
}

const int kX64Slots[] = {4, 7, 10, 12};
}

TEST(LayoutLibrary, X64BuildsLoadAndGiveTheKeyTableDefaults)
{
    int checked = 0;
    for (int set = 0; set < 2; ++set)
        for (int variant = 0; variant < 3; ++variant)
            for (int slot : kX64Slots)
            {
                std::wstring path = LibraryPath(set, variant, slot);
                SCOPED_TRACE(std::string(path.begin(), path.end()));
                HMODULE module = LoadLibraryExW(path.c_str(), nullptr, 0);
                ASSERT_NE(module, nullptr) << "error " << GetLastError();
                auto descriptor = (DescriptorProc)(void*)GetProcAddress(module, "KbdLayerDescriptor");
                ASSERT_NE(descriptor, nullptr);
                const TablesView* t = descriptor();
                ASSERT_NE(t, nullptr);

                // The tables lie inside the loaded image.
                auto base = (const BYTE*)module;
                auto nt = (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
                const BYTE* end = base + nt->OptionalHeader.SizeOfImage;
                EXPECT_TRUE((const BYTE*)t > base && (const BYTE*)(t + 1) <= end);
                EXPECT_TRUE((const BYTE*)t->scanToVk > base && (const BYTE*)t->scanToVk < end);
                EXPECT_GE(t->scanCount, 127);
                EXPECT_EQ(t->localeFlags, set ? 0x00010003u : 0x00010001u);
                // The display name that the layout key names indirectly (string resource 1000).
                wchar_t name[64] = {0};
                EXPECT_GT(LoadStringW(module, 1000, name, 64), 0);
                EXPECT_STREQ(name, L"Klawik");

                int rows = 0;
                for (int i = 0; i < kKeyMapRows && KeyMapTable[i].scanCode; ++i)
                {
                    const KeyMapEntry& row = KeyMapTable[i];
                    bool extended = (row.virtualKey & 0x100) != 0;
                    if (row.scanCode != 0x003A && row.scanCode != 0x002A && !extended)
                        continue;
                    EXPECT_EQ(VirtualKeyOf(t, row.scanCode), row.virtualKey)
                        << "scan code " << std::hex << row.scanCode;
                    ++rows;
                }
                // Caps Lock, Left Shift, Right Shift and the 38 0xE0 keys that carry the flag.
                EXPECT_EQ(rows, 41);
                EXPECT_TRUE(FreeLibrary(module));
                ++checked;
            }
    EXPECT_EQ(checked, 24);
}

struct CharacterTableView
{
    const BYTE* rows;
    BYTE columns;
    BYTE rowSize;
};

// The character a virtual key types in a column (0 plain, 1 Shift, 3 AltGr, 4 Shift+AltGr),
// searched as the system does: the first table that holds the key decides. 0 when none.
WCHAR CharacterOf(const TablesView* t, BYTE vk, int column)
{
    for (auto table = (const CharacterTableView*)t->characters; table->rows; ++table)
        for (const BYTE* row = table->rows; row[0]; row += table->rowSize)
            if (row[0] == vk)
                return column < table->columns ? ((const WCHAR*)(row + 2))[column] : 0;
    return 0;
}

TEST(LayoutLibrary, VariantsShareTheirLettersAndDifferOnAltGr)
{
    const WCHAR none = 0xF000, dead = 0xF001;
    const struct
    {
        BYTE vk;
        int column;
        WCHAR expected[3];   // variant 0, 1, 2
    } cases[] = {
        {'A', 0, {L'a', L'a', L'a'}},
        {'A', 1, {L'A', L'A', L'A'}},
        {'A', 3, {0x0105, 0x0105, 0x0105}},      // a with ogonek
        {'X', 4, {0x0179, 0x0179, 0x0179}},      // Z with acute
        {'4', 3, {0x20AC, 0x20AC, 0x20AC}},      // euro sign
        {0xDB, 3, {none, 0x201E, 0x201E}},       // [ : low double quotation mark
        {0xDE, 3, {none, 0x201C, dead}},         // ' : acute accent, dead in variant 2
        {0xBD, 4, {none, 0x2014, 0x2014}},       // - : em dash
        {0x6E, 0, {L'.', L'.', L'.'}},           // keypad decimal key
    };
    for (int variant = 0; variant < 3; ++variant)
    {
        HMODULE module = LoadLibraryExW(LibraryPath(0, variant, 12).c_str(), nullptr, 0);
        ASSERT_NE(module, nullptr);
        auto descriptor = (DescriptorProc)(void*)GetProcAddress(module, "KbdLayerDescriptor");
        ASSERT_NE(descriptor, nullptr);
        const TablesView* t = descriptor();
        for (const auto& c : cases)
            EXPECT_EQ(CharacterOf(t, c.vk, c.column), c.expected[variant])
                << "variant " << variant << " vk " << std::hex << (int)c.vk << " column " << c.column;
        FreeLibrary(module);
    }
}
