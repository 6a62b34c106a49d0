// The layout-library patch on a hostile image with hostile pattern texts: every write stays
// inside the image. Input: u8 variant and decimal choice, six u8 text lengths (strings 146 to
// 151), the texts, then the image.
#include <stdlib.h>
#include <string.h>

#include "engine/LayoutPatch.h"

namespace {

struct Texts
{
    const char* text[6];
    int length[6];
};

uint8_t* LookUp(void* context, StringId id, uint32_t& byteCount)
{
    byteCount = 0;
    const Texts* t = static_cast<const Texts*>(context);
    if (id < 146 || id > 151)
        abort();   // only the six pattern strings are ever asked for
    int i = (int)(id - 146);
    return HexTextToBytes(t->text[i], t->length[i], byteCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 7)
        return 0;
    int variant = (int)(data[0] & 7) - 2;        // -2..5
    int decimalKey = (int)((data[0] >> 3) & 3) - 1;   // -1..2
    Texts texts;
    size_t at = 7;
    for (int i = 0; i < 6; ++i) {
        int length = data[1 + i] & 63;
        if (size < at + (size_t)length)
            return 0;
        texts.text[i] = (const char*)data + at;
        texts.length[i] = length;
        at += (size_t)length;
    }
    size_t length = size - at;
    uint8_t* image = (uint8_t*)malloc(length ? length : 1);
    if (!image)
        return 0;
    if (length)
        memcpy(image, data + at, length);

    // Every key reassigned, so that every table is walked and written.
    KeyMapEntry rows[kKeyMapRows];
    memcpy(rows, KeyMapTable, sizeof rows);
    for (int i = 0; i < kKeyMapRows; ++i)
        rows[i].virtualKey = (uint16_t)(0x0100 + i);
    PatchLayoutImage(image, (uint32_t)length, rows, kKeyMapRows, variant, decimalKey, LookUp,
                     &texts);
    free(image);
    return 0;
}
