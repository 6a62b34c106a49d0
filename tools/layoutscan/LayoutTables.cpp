#include "LayoutTables.h"

#include <algorithm>

namespace
{
const uint8_t kVkDecimal = 0x6E;

// The descriptor's code in our builds: x86 "mov eax, imm32; ret", x64 "lea rax, [rip+d]; ret".
bool DescriptorTarget(const CPeImage& image, uint32_t codeRva, uint64_t& va)
{
    long code = image.RvaToOffset(codeRva);
    uint8_t b0, b1, b2, ret;
    if (!image.U8(code, b0))
        return false;
    if (!image.Is64())
    {
        uint32_t imm;
        if (b0 != 0xB8 || !image.U32(code + 1, imm) || !image.U8(code + 5, ret) || ret != 0xC3)
            return false;
        va = imm;
        return true;
    }
    uint32_t disp;
    if (!image.U8(code + 1, b1) || !image.U8(code + 2, b2) || b0 != 0x48 || b1 != 0x8D
        || b2 != 0x05 || !image.U32(code + 3, disp) || !image.U8(code + 7, ret) || ret != 0xC3)
        return false;
    va = image.ImageBase() + codeRva + 7 + (int64_t)(int32_t)disp;
    return true;
}

bool ReadRecords(const CPeImage& image, long at, std::vector<VscVkRecord>& records)
{
    records.clear();
    for (int i = 0; i < 256; ++i, at += 4)
    {
        uint8_t scan;
        uint16_t vk;
        if (!image.U8(at, scan) || !image.U16(at + 2, vk))
            return false;
        if (scan == 0)
            return true;
        records.push_back({scan, vk});
    }
    return false;
}

// Walks the list of character tables for the row of VK_DECIMAL.
bool FindDecimalRow(const CPeImage& image, uint64_t listVa, LayoutTables& out, std::string& error)
{
    long entry = image.VaToOffset(listVa);
    int pointerSize = image.Is64() ? 8 : 4;
    for (int t = 0; t < 32; ++t, entry += 2 * pointerSize)
    {
        uint64_t rowsVa;
        uint8_t columns, rowSize;
        if (!image.Pointer(entry, rowsVa) || !image.U8(entry + pointerSize, columns)
            || !image.U8(entry + pointerSize + 1, rowSize))
        {
            error = "character table list out of range";
            return false;
        }
        if (rowsVa == 0)
            break;
        if (rowSize != 2 + 2 * columns)
        {
            error = "character table row size does not match its column count";
            return false;
        }
        long row = image.VaToOffset(rowsVa);
        for (int r = 0; r < 256; ++r, row += rowSize)
        {
            uint8_t vk;
            if (!image.U8(row, vk))
            {
                error = "character rows out of range";
                return false;
            }
            if (vk == 0)
            {
                if (out.decimalChars >= 0 && out.decimalTableEnd < 0)
                    out.decimalTableEnd = row + rowSize;
                break;
            }
            if (vk == kVkDecimal && out.decimalChars < 0)
            {
                if (columns < 2)
                {
                    error = "the decimal key's row has fewer than two characters";
                    return false;
                }
                out.decimalChars = row + 2;
            }
        }
    }
    if (out.decimalChars < 0 || out.decimalTableEnd < 0)
    {
        error = "no row for the keypad's decimal key";
        return false;
    }
    return true;
}
}

long FirstOccurrence(const std::vector<uint8_t>& data, const std::vector<uint8_t>& pattern)
{
    if (pattern.empty() || pattern.size() > data.size())
        return -1;
    auto it = std::search(data.begin(), data.end(), pattern.begin(), pattern.end());
    return it == data.end() ? -1 : (long)(it - data.begin());
}

bool LocateLayoutTables(const CPeImage& image, LayoutTables& out, std::string& error)
{
    out = LayoutTables();
    uint32_t descriptor = image.FindExport("KbdLayerDescriptor");
    uint64_t tablesVa;
    if (descriptor == 0)
    {
        error = "no export KbdLayerDescriptor";
        return false;
    }
    if (!DescriptorTarget(image, descriptor, tablesVa))
    {
        error = "KbdLayerDescriptor is not a plain return of the tables' address";
        return false;
    }
    out.tables = image.VaToOffset(tablesVa);
    if (out.tables < 0)
    {
        error = "the tables' address lies outside the image";
        return false;
    }
    // Members in order: modifiers, character tables, dead keys, key names, extended key
    // names, dead key names, scan-code table, its count (a byte), the 0xE0 and 0xE1 tables,
    // locale flags, ligature maximum and entry size (bytes), ligatures, type, subtype; each
    // aligned to its own size.
    const long p = image.Is64() ? 8 : 4;
    const long count = 7 * p;
    const long e0 = 8 * p;
    const long e1 = 9 * p;
    const long flags = 10 * p;
    const long type = image.Is64() ? 96 : 52;
    uint64_t charsVa, scanVa, e0Va, e1Va;
    uint8_t scanCount;
    if (!image.Pointer(out.tables + 1 * p, charsVa) || !image.Pointer(out.tables + 6 * p, scanVa)
        || !image.U8(out.tables + count, scanCount) || !image.Pointer(out.tables + e0, e0Va)
        || !image.Pointer(out.tables + e1, e1Va)
        || !image.U32(out.tables + flags, out.localeFlags)
        || !image.U32(out.tables + type, out.keyboardType))
    {
        error = "the table structure is cut off";
        return false;
    }
    out.charactersVa = charsVa;
    if (!image.Pointer(out.tables + 2 * p, out.deadKeysVa))
    {
        error = "the table structure is cut off";
        return false;
    }
    out.scanTable = image.VaToOffset(scanVa);
    out.scanCount = scanCount;
    for (int i = 0; i < scanCount; ++i)
    {
        uint16_t vk;
        if (!image.U16(out.scanTable + 2L * i, vk))
        {
            error = "scan-code table out of range";
            return false;
        }
        out.scanToVk.push_back(vk);
    }
    out.e0Table = image.VaToOffset(e0Va);
    out.e1Table = image.VaToOffset(e1Va);
    if (out.scanTable < 0 || out.e0Table < 0 || out.e1Table < 0
        || !ReadRecords(image, out.e0Table, out.e0) || !ReadRecords(image, out.e1Table, out.e1))
    {
        error = "prefixed scan-code tables out of range";
        return false;
    }
    out.e0Records = (int)out.e0.size();
    out.e1Records = (int)out.e1.size();
    return FindDecimalRow(image, charsVa, out, error);
}

bool ReadCharacters(const CPeImage& image, const LayoutTables& tables,
                    std::vector<CharacterRow>& rows, std::vector<DeadKeyEntry>& deadKeys,
                    std::string& error)
{
    rows.clear();
    deadKeys.clear();
    const int pointerSize = image.Is64() ? 8 : 4;
    long entry = image.VaToOffset(tables.charactersVa);
    for (int t = 0; t < 32; ++t, entry += 2 * pointerSize)
    {
        uint64_t rowsVa;
        uint8_t columns, rowSize;
        if (!image.Pointer(entry, rowsVa) || !image.U8(entry + pointerSize, columns)
            || !image.U8(entry + pointerSize + 1, rowSize))
        {
            error = "character table list out of range";
            return false;
        }
        if (rowsVa == 0)
            break;
        long row = image.VaToOffset(rowsVa);
        bool previousKept = false;
        for (int r = 0; r < 256; ++r, row += rowSize)
        {
            CharacterRow c;
            if (!image.U8(row, c.virtualKey) || !image.U8(row + 1, c.attributes))
            {
                error = "character rows out of range";
                return false;
            }
            if (c.virtualKey == 0)
                break;
            for (int k = 0; k < columns; ++k)
            {
                uint16_t ch;
                if (!image.U16(row + 2 + 2 * k, ch))
                {
                    error = "character rows out of range";
                    return false;
                }
                c.characters.push_back(ch);
            }
            if (c.virtualKey == 0xFF)
            {
                // The dead characters of the row before.
                if (previousKept)
                    rows.back().deadCharacters = c.characters;
                previousKept = false;
                continue;
            }
            bool hidden = false;
            for (const CharacterRow& earlier : rows)
                hidden = hidden || earlier.virtualKey == c.virtualKey;
            previousKept = !hidden;
            if (!hidden)
                rows.push_back(c);
        }
    }
    if (tables.deadKeysVa == 0)
        return true;
    long at = image.VaToOffset(tables.deadKeysVa);
    for (int i = 0; i < 4096; ++i, at += 8)
    {
        uint32_t both;
        uint16_t composed;
        if (!image.U32(at, both) || !image.U16(at + 4, composed))
        {
            error = "dead-key table out of range";
            return false;
        }
        if (both == 0)
            return true;
        deadKeys.push_back({(uint16_t)(both >> 16), (uint16_t)both, composed});
    }
    error = "dead-key table without its end";
    return false;
}
