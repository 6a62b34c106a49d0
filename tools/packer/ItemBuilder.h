// Making payload items: raw DEFLATE, the 24-byte header with both CRC-32s, filler to whole
// cipher blocks, and Blowfish-ECB encryption with the little-endian block mapping.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

std::vector<uint8_t> DeflateRaw(const uint8_t* data, size_t length);

// The plain item: header, stream, zero filler to a multiple of 8. Its storedSize field is the
// size of the result. Tests change fields or stream bytes before encrypting.
std::vector<uint8_t> MakePlainItem(const uint8_t* content, size_t length, uint32_t extra);
// The same with a stream given as it is (which need not be what the header's CRCs describe).
std::vector<uint8_t> MakePlainItemFromStream(const std::vector<uint8_t>& stream, uint32_t rawLength,
                                             uint32_t crcRaw, uint32_t extra);

// Encrypts whole 8-byte blocks in place (a trailing partial block is left as it is).
void EncryptBlocks(const uint8_t* key, int keyLength, std::vector<uint8_t>& bytes);

// Content to stored item bytes under `key`.
std::vector<uint8_t> BuildItem(const uint8_t* key, int keyLength, const uint8_t* content,
                               size_t length, uint32_t extra);

// Rewrites one header field of a plain item (offset 0, 4, ... 20).
void SetHeaderField(std::vector<uint8_t>& plain, int offset, uint32_t value);
uint32_t GetHeaderField(const std::vector<uint8_t>& plain, int offset);
