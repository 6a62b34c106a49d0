// Reading one payload item of about 1.1 MB: CGuard::ReadItem against a reference made of
// OpenSSL's Blowfish (BF_decrypt on the same little-endian halves), zlib's crc32 twice and
// zlib's raw inflate on the same bytes. Prints both times and the ratio ours/reference.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "ItemBuilder.h"
#include "KeyBlockMaker.h"
#include "payload/Blowfish.h"
#include "payload/Guard.h"
#include "payload/ItemReader.h"

namespace {

// Document-like content: prose with line breaks, then blocks of already-compressed data (as
// pictures in a document are), so that the stored item is about 1.1 MB.
std::vector<uint8_t> DocumentContent()
{
    static const char* const kWords[] = {"keyboard", "layout", "the", "of", "install", "key",
                                         "Windows", "registry", "value", "library", "and", "a",
                                         "press", "shift", "right", "left", "option", "page",
                                         "character", "dead", "accent", "letter", "with"};
    std::mt19937 gen(2024);
    std::vector<uint8_t> out;
    while (out.size() < 2400000) {
        for (int i = 0; i < 2000; ++i) {
            const char* w = kWords[gen() % (sizeof(kWords) / sizeof(kWords[0]))];
            out.insert(out.end(), w, w + strlen(w));
            out.push_back(gen() % 13 == 0 ? '\n' : ' ');
        }
        for (int i = 0; i < 5000; ++i)
            out.push_back((uint8_t)gen());
    }
    return out;
}

// The reference pipeline: the same steps with OpenSSL's cipher and zlib's own calls.
uint8_t* ReferenceRead(const uint8_t* keyBytes, int keyLength, const uint8_t* item, uint32_t stored,
                       uint32_t& size)
{
    BF_KEY key;
    BF_set_key(&key, std::min(keyLength, 72), keyBytes);
    uint8_t* work = (uint8_t*)malloc(stored);
    for (uint32_t b = 0; b < stored; b += 8) {
        const uint8_t* s = item + b;
        BF_LONG data[2];
        data[0] = (BF_LONG)s[0] | (BF_LONG)s[1] << 8 | (BF_LONG)s[2] << 16 | (BF_LONG)s[3] << 24;
        data[1] = (BF_LONG)s[4] | (BF_LONG)s[5] << 8 | (BF_LONG)s[6] << 16 | (BF_LONG)s[7] << 24;
        BF_decrypt(data, &key);
        uint8_t* d = work + b;
        for (int i = 0; i < 4; ++i) {
            d[i] = (uint8_t)(data[0] >> (8 * i));
            d[4 + i] = (uint8_t)(data[1] >> (8 * i));
        }
    }
    PayloadHeader h;
    ReadPayloadHeader(work, h);
    uint8_t* out = nullptr;
    if (h.storedSize == stored && crc32(0, work + 24, h.compressedLength) == h.crcCompressed) {
        out = (uint8_t*)malloc(((size_t)h.rawLength / 2 + 1) * 2);
        z_stream z = {};
        inflateInit2(&z, -15);
        z.next_in = work + 24;
        z.avail_in = h.compressedLength;
        z.next_out = out;
        z.avail_out = h.rawLength;
        int rc = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        if (rc != Z_STREAM_END || z.avail_out != 0 || crc32(0, out, h.rawLength) != h.crcRaw) {
            free(out);
            out = nullptr;
        }
    }
    free(work);
    size = h.rawLength;
    return out;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 25;
    const int perRound = 3;

    CByteSource random(7);
    std::vector<uint8_t> block, key;
    std::string error;
    if (!MakeKeyBlock(random, block, key, error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    CGuard guard;
    guard.Load(block.data(), (int)block.size());
    std::vector<uint8_t> content = DocumentContent();
    std::vector<uint8_t> item = BuildItem(key.data(), (int)key.size(), content.data(), content.size(), 0);

    // Both sides must read the item back exactly before their times mean anything.
    uint32_t size = (uint32_t)item.size();
    uint8_t* ours = guard.ReadItem(item.data(), size, nullptr);
    uint32_t refSize = 0;
    uint8_t* ref = ReferenceRead(key.data(), (int)key.size(), item.data(), (uint32_t)item.size(), refSize);
    if (!ours || !ref || size != content.size() || refSize != content.size() ||
        memcmp(ours, content.data(), size) != 0 || memcmp(ref, content.data(), size) != 0) {
        fprintf(stderr, "payload bench: the item does not read back\n");
        return 1;
    }
    free(ours);
    free(ref);

    // Rounds alternate between the two, so that load from elsewhere on the machine falls on
    // both; the best round of each counts. The cipher alone is timed beside the whole read.
    double bestOurs = 1e9, bestRef = 1e9, bestOursCipher = 1e9, bestRefCipher = 1e9;
    std::vector<uint8_t> work(item.size());
    BF_KEY bfKey;
    BF_set_key(&bfKey, 72, key.data());
    CBlowfishCipher cipher;
    cipher.SetKey(key.data(), (int)key.size());
    for (int r = 0; r < rounds; ++r) {
        auto c0 = std::chrono::steady_clock::now();
        cipher.Decrypt(item.data(), work.data(), (uint32_t)item.size());
        auto c1 = std::chrono::steady_clock::now();
        for (size_t b = 0; b < item.size(); b += 8) {
            const uint8_t* s = item.data() + b;
            BF_LONG data[2];
            data[0] = (BF_LONG)s[0] | (BF_LONG)s[1] << 8 | (BF_LONG)s[2] << 16 | (BF_LONG)s[3] << 24;
            data[1] = (BF_LONG)s[4] | (BF_LONG)s[5] << 8 | (BF_LONG)s[6] << 16 | (BF_LONG)s[7] << 24;
            BF_decrypt(data, &bfKey);
            uint8_t* d = work.data() + b;
            for (int i = 0; i < 4; ++i) {
                d[i] = (uint8_t)(data[0] >> (8 * i));
                d[4 + i] = (uint8_t)(data[1] >> (8 * i));
            }
        }
        auto c2 = std::chrono::steady_clock::now();
        bestOursCipher = std::min(bestOursCipher, Seconds(c1 - c0));
        bestRefCipher = std::min(bestRefCipher, Seconds(c2 - c1));

        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < perRound; ++i) {
            uint32_t n = (uint32_t)item.size();
            free(guard.ReadItem(item.data(), n, nullptr));
        }
        auto t1 = std::chrono::steady_clock::now();
        for (int i = 0; i < perRound; ++i) {
            uint32_t n = 0;
            free(ReferenceRead(key.data(), (int)key.size(), item.data(), (uint32_t)item.size(), n));
        }
        auto t2 = std::chrono::steady_clock::now();
        bestOurs = std::min(bestOurs, Seconds(t1 - t0) / perRound);
        bestRef = std::min(bestRef, Seconds(t2 - t1) / perRound);
    }
    printf("item: %zu bytes stored, %zu bytes raw\n", item.size(), content.size());
    printf("ReadItem:  %.3f ms\n", bestOurs * 1e3);
    printf("reference: %.3f ms (OpenSSL BF_decrypt + zlib crc32 x2 + zlib raw inflate)\n", bestRef * 1e3);
    printf("decryption alone: %.3f ms ours, %.3f ms BF_decrypt (ratio %.3f)\n", bestOursCipher * 1e3,
           bestRefCipher * 1e3, bestOursCipher / bestRefCipher);
    printf("ratio ours/reference: %.3f\n", bestOurs / bestRef);
    return 0;
}
