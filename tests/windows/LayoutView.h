// A loaded x64 layout library as the system reads it: the table structure behind
// KbdLayerDescriptor, declared here on its own so that a mistake in the library's declaration
// cannot hide behind the same mistake, and lookups in its tables.
#pragma once

#include <windows.h>

#include <stdint.h>

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

struct CharacterTableView
{
    const BYTE* rows;
    BYTE columns;
    BYTE rowSize;
};

// The tables of a loaded library, or null when it has no descriptor.
inline const TablesView* TablesOf(HMODULE module)
{
    auto descriptor = (DescriptorProc)(void*)GetProcAddress(module, "KbdLayerDescriptor");
    return descriptor ? descriptor() : nullptr;
}

// The virtual key the library's tables give a scan code (0xE0nn and 0xE1nn through the
// prefixed tables), or -1 when they have none.
inline int VirtualKeyOf(const TablesView* t, uint16_t scanCode)
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

// The character a virtual key types in a column (0 plain, 1 Shift, 3 AltGr, 4 Shift+AltGr),
// searched as the system does: the first table that holds the key decides. 0 when none.
inline WCHAR CharacterOf(const TablesView* t, BYTE vk, int column)
{
    for (auto table = (const CharacterTableView*)t->characters; table->rows; ++table)
        for (const BYTE* row = table->rows; row[0]; row += table->rowSize)
            if (row[0] == vk)
                return column < table->columns ? ((const WCHAR*)(row + 2))[column] : 0;
    return 0;
}
