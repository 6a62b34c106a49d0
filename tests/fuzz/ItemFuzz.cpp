// ReadItem with a fixed key on hostile items. The first byte picks how the rest is used:
//   0: the stored bytes as they are;
//   1: a plain item (header fields fixed up as the next byte says), encrypted with the key;
//   2: content, packed into a well-formed item that must read back exactly.
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "ItemBuilder.h"
#include "KeyBlockMaker.h"
#include "payload/Crc32.h"
#include "payload/Guard.h"
#include "payload/ItemReader.h"

namespace {

struct Fixture
{
    CGuard guard;
    std::vector<uint8_t> key;
    Fixture()
    {
        CByteSource random(1);
        std::vector<uint8_t> block;
        std::string error;
        if (!MakeKeyBlock(random, block, key, error) || !guard.Load(block.data(), (int)block.size()))
            abort();
    }
};

// Reads from an exact-size heap copy, so that ASan sees any read past the stored bytes.
void Read(Fixture& f, const std::vector<uint8_t>& stored, const std::vector<uint8_t>* expected)
{
    uint8_t* copy = (uint8_t*)malloc(stored.size() ? stored.size() : 1);
    if (!stored.empty())
        memcpy(copy, stored.data(), stored.size());
    uint32_t size = (uint32_t)stored.size();
    uint32_t extra = 0;
    uint8_t* out = f.guard.ReadItem(copy, size, &extra);
    if (out) {
        // What came back is exactly what its header promised.
        PayloadHeader h;
        uint8_t* again = nullptr;
        if (DecodeItem(f.guard.Key(), f.guard.KeyLength(), copy, (uint32_t)stored.size(), &again, &h) != kItemOk ||
            h.rawLength != size || Crc32(0, out, size) != h.crcRaw || (size && memcmp(again, out, size) != 0))
            abort();
        free(again);
    }
    if (expected && (!out || size != expected->size() || (size && memcmp(out, expected->data(), size) != 0)))
        abort();
    free(out);
    free(copy);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture f;
    if (size < 2)
        return 0;
    uint8_t mode = data[0] % 3;
    uint8_t flags = data[1];
    std::vector<uint8_t> rest(data + 2, data + size);

    if (mode == 0) {
        Read(f, rest, nullptr);
    } else if (mode == 1) {
        std::vector<uint8_t> plain = rest;
        plain.resize(std::max<size_t>(24, (plain.size() + 7) & ~(size_t)7), 0);
        if (flags & 1)
            SetHeaderField(plain, 0, (uint32_t)plain.size());
        if ((flags & 2) && GetHeaderField(plain, 8) > plain.size() - 24)
            SetHeaderField(plain, 8, GetHeaderField(plain, 8) % (uint32_t)(plain.size() - 24 + 1));
        if (flags & 4) {
            uint32_t n = GetHeaderField(plain, 8);
            if (n <= plain.size() - 24)
                SetHeaderField(plain, 16, Crc32(0, plain.data() + 24, n));
        }
        EncryptBlocks(f.key.data(), (int)f.key.size(), plain);
        Read(f, plain, nullptr);
    } else {
        std::vector<uint8_t> stored = BuildItem(f.key.data(), (int)f.key.size(), rest.data(), rest.size(), flags);
        Read(f, stored, &rest);
    }
    return 0;
}
