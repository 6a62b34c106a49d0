// The x64 layout libraries as the system's loader sees them: each loads, its descriptor
// hands out tables inside the loaded image, and the scan-code tables it reaches give the key
// table's defaults for Caps Lock, Left Shift and the right-hand extended keys.
#include "LayoutView.h"
#include "engine/KeyTable.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring LibraryPath(int set, int variant, int slot)
{
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"layout\\kbdklwk-s" + std::to_wstring(set) + L"-v" + std::to_wstring(variant)
        + L"-slot" + std::to_wstring(slot) + L".dll";
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
