// A scan-code map value from hostile bytes, read into a key map and written back: the reader
// stays inside the value, and what it kept is written again whole.
#include <stdlib.h>
#include <string.h>

#include "engine/ScancodeMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exactly sized copy, so that a read past the value's end is seen.
    uint8_t* value = (uint8_t*)malloc(size ? size : 1);
    if (!value)
        return 0;
    if (size)
        memcpy(value, data, size);
    KeyMapEntry rows[kKeyMapRows];
    memcpy(rows, KeyMapTable, sizeof rows);
    uint32_t* others = nullptr;
    int otherCount = 0;
    int applied = ApplyScancodeMap(rows, kKeyMapRows, value, (uint32_t)size, others, otherCount);
    free(value);
    if (!applied && (others || otherCount))
        abort();

    uint32_t built = 0;
    uint8_t* map = BuildScancodeMap(rows, kKeyMapRows, others, otherCount, built);
    if (!map)
        abort();
    int mappings = CountScancodeMappings(rows, kKeyMapRows, otherCount);
    if (built != 16 + 4 * (uint32_t)mappings)
        abort();
    // Read again, the written map gives the same rows and keeps the same entries.
    KeyMapEntry again[kKeyMapRows];
    memcpy(again, KeyMapTable, sizeof again);
    uint32_t* othersAgain = nullptr;
    int otherCountAgain = 0;
    if (!ApplyScancodeMap(again, kKeyMapRows, map, built, othersAgain, otherCountAgain) &&
        mappings > 0)
        abort();
    if (otherCountAgain != otherCount)
        abort();
    for (int i = 0; i < kKeyMapRows; ++i) {
        if (again[i].scanRemap != rows[i].scanRemap)
            abort();
    }
    free(othersAgain);
    free(map);
    free(others);
    return 0;
}
