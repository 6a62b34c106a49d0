#include "LayoutPatch.h"

#include <limits.h>
#include <stdlib.h>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int HexDigit(char c)
{
    for (int i = 0; i < 16; ++i) {
        if (kHexDigits[i] == c)
            return i;
    }
    return -1;
}

void PutU16(uint8_t* at, uint16_t value)
{
    at[0] = (uint8_t)value;
    at[1] = (uint8_t)(value >> 8);
}

// Runs the pattern `id` through the lookup and finds it from the start of the image.
int FindPattern(const uint8_t* image, int length, StringId id, PatternLookup lookup,
                void* context)
{
    uint32_t patLen = 0;
    uint8_t* pattern = lookup(context, id, patLen);
    if (!pattern)
        return -1;
    int found = patLen <= (uint32_t)INT_MAX
        ? FindBytes(image, pattern, length, (int)patLen, 0)
        : -1;
    free(pattern);
    return found;
}

// Writes the reassignment of every row with the prefix (0xE000 or 0xE100) into the record of
// its scan code in the table at `table`. The walk ends at the record with scan code 0 or at
// the end of the image, whichever comes first; a record cut by the image's end is not written.
void PatchPrefixedTable(uint8_t* image, int length, int table, const KeyMapEntry* rows,
                        int count, uint16_t prefix)
{
    for (int i = 0; i < count; ++i) {
        const KeyMapEntry& row = rows[i];
        if ((row.scanCode & 0xFF00) != prefix || row.virtualKey == 0)
            continue;
        uint8_t scan = (uint8_t)(row.scanCode & 0xFF);
        for (int64_t r = table; r < length && image[r] != 0; r += 4) {
            if (image[r] != scan)
                continue;
            if (r + 4 <= length)
                PutU16(image + r + 2, row.virtualKey);
            break;
        }
    }
}

} // namespace

uint8_t* HexTextToBytes(const char* text, int length, uint32_t& byteCount)
{
    byteCount = 0;
    if (!text || length <= 0)
        return nullptr;
    uint32_t count = (uint32_t)length / 2;
    // At least one byte, so that a text of one character is an empty pattern and no failure.
    uint8_t* bytes = (uint8_t*)malloc(count ? count : 1);
    if (!bytes)
        return nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        int high = HexDigit(text[2 * i]);
        int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            free(bytes);
            return nullptr;
        }
        bytes[i] = (uint8_t)(high * 16 + low);
    }
    byteCount = count;
    return bytes;
}

int FindBytes(const uint8_t* data, const uint8_t* pattern, int dataLen, int patLen, int start)
{
    if (!data || !pattern || dataLen <= 0 || patLen <= 0 || start < 0)
        return -1;
    if ((int64_t)start + patLen > dataLen)
        return -1;
    for (int pos = start; pos <= dataLen - patLen; ++pos) {
        int i = 0;
        while (i < patLen && data[pos + i] == pattern[i])
            ++i;
        if (i == patLen)
            return pos;
    }
    return -1;
}

int SelectLayoutSlots(int osVersion, uint16_t nativeArch, int& first, int& second)
{
    first = -1;
    second = -1;
    // Windows 2000 and XP have one build, whatever the architecture (the platform check admits
    // only x86 there).
    if (osVersion == 50 || osVersion == 51) {
        first = osVersion == 50 ? 0 : 1;
        return 1;
    }
    // The 32-bit slot of each generation, then its IA-64 and x64 slots (-1: none).
    struct Generation {
        int osVersion;
        int slot32, slotIa64, slotX64;
    };
    static const Generation kGenerations[] = {
        {52, 2, 3, 4}, {60, 5, 6, 7}, {61, 8, 9, 10},
    };
    Generation last = {0, 11, -1, 12};
    const Generation* g = &last;
    for (const Generation& candidate : kGenerations) {
        if (candidate.osVersion == osVersion)
            g = &candidate;
    }
    int native = -1;
    if (nativeArch == 6)
        native = g->slotIa64;
    else if (nativeArch == 9)
        native = g->slotX64;
    else if (nativeArch != 0)
        return 0;
    if (nativeArch != 0 && native < 0)
        return 0;
    first = g->slot32;
    second = native;
    return 1;
}

int PatchLayoutImage(uint8_t* image, uint32_t length, const KeyMapEntry* rows, int count,
                     int variant, int decimalKey, PatternLookup lookup, void* context)
{
    if (!image || length == 0 || length > (uint32_t)INT_MAX || !lookup)
        return 0;
    int size = (int)length;

    if (rows && count > 0) {
        // 147 + a variant outside 0..2 would name another pattern (146, 150, 151): refuse it.
        if (variant < 0 || variant > 2)
            return 0;
        int table = FindPattern(image, size, (StringId)(kScanTablePattern + variant), lookup,
                                context);
        if (table < 0)
            return 0;
        for (int i = 0; i < count; ++i) {
            const KeyMapEntry& row = rows[i];
            if (row.scanCode >= 0x7F || row.virtualKey == 0)
                continue;
            int64_t at = table + 2 * (int64_t)row.scanCode;
            if (at + 2 <= size)
                PutU16(image + at, row.virtualKey);
        }

        int e0 = FindPattern(image, size, kE0TablePattern, lookup, context);
        if (e0 < 0)
            return 0;
        PatchPrefixedTable(image, size, e0, rows, count, 0xE000);

        int e1 = FindPattern(image, size, kE1TablePattern, lookup, context);
        if (e1 < 0)
            return 0;
        PatchPrefixedTable(image, size, e1, rows, count, 0xE100);
    }

    if (decimalKey == 0) {
        int at = FindPattern(image, size, kDecimalKeyPattern, lookup, context);
        if (at < 0)
            return 0;
        // The low bytes of the two UTF-16 characters.
        image[at] = ',';
        if ((int64_t)at + 2 < size)
            image[at + 2] = ',';
    }
    return 1;
}
