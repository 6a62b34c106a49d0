// The payload as it is linked into the installer: one blob that starts with a directory and
// holds every stored item, plus the key block beside it.
//
//   blob:
//     0  magic (16 bytes)
//    16  u32 format version (1)
//    20  u32 entry count
//    24  u32 CRC-32 of the key block
//    28  u32 blob length in bytes
//    32  first 16 bytes of the key block
//    48  entries: {u32 catalogue index, u32 offset in the blob, u32 stored size}
//        zero filler to a multiple of 8
//        stored items, each at a multiple of 8; identical items are stored once and their
//        entries share the offset
//
// The directory lets `packer inspect` find the items and the key block in a built image
// without knowing how the linker placed them; the installer itself never reads it. Item names
// do not travel in the image, only catalogue numbers.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

class CPayloadImage
{
public:
    void SetKeyBlock(const std::vector<uint8_t>& block) { m_keyBlock = block; }
    void SetItem(int index, const std::vector<uint8_t>& stored);

    const std::vector<uint8_t>& KeyBlock() const { return m_keyBlock; }
    // The blob; `offsets` (optional) receives each catalogue index's offset in it, -1 when the
    // item is absent.
    std::vector<uint8_t> Blob(std::vector<long>* offsets = nullptr) const;
    int ItemCount() const;
    int StoredCount() const;

    // C++ source that defines KeyBlock, KeyBlockLength and every PayloadItem.
    std::string Source(const std::string& origin) const;
    // The blob followed by the key block: what `packer inspect` also reads.
    std::vector<uint8_t> BlobFile() const;

private:
    std::vector<uint8_t> m_keyBlock;
    std::vector<std::vector<uint8_t>> m_items;   // by catalogue index; empty: absent
};

struct LocatedItem
{
    int index;
    size_t offset;       // in the file
    uint32_t storedSize;
};

struct LocatedPayload
{
    size_t blobOffset;
    size_t keyOffset;
    std::vector<uint8_t> keyBlock;
    std::vector<LocatedItem> items;   // in directory order
};

// Finds the blob and the key block in a built image or a blob file.
bool LocatePayload(const std::vector<uint8_t>& file, LocatedPayload& found, std::string& error);
