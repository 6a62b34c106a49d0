#include "Crc32.h"

#include <zlib.h>

uint32_t Crc32(uint32_t crc, const uint8_t* data, uint32_t length)
{
    if (!data)
        return 0;
    return (uint32_t)crc32((uLong)crc, data, (uInt)length);
}
