// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320, preset and final
// complement). A null data pointer gives 0.
#pragma once

#include <stdint.h>

uint32_t Crc32(uint32_t crc, const uint8_t* data, uint32_t length);
