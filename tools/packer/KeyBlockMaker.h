// Making the scrambled key block: a random unscrambled block that the guard's three steps can
// produce, turned back into the block that, once unscrambled, gives it.
#pragma once

#include <stdint.h>

#include <random>
#include <string>
#include <vector>

// Random bytes: from the system's random device, or from a fixed seed for reproducible builds.
class CByteSource
{
public:
    CByteSource();
    explicit CByteSource(uint64_t seed);
    uint8_t Next();

private:
    bool m_seeded;
    std::mt19937_64 m_generator;
    std::random_device m_device;
};

// Fills `block` with a scrambled key block and `key` with the key window the guard leaves after
// loading it. The result is checked by loading it into a real CGuard; false (with the reason)
// when that check fails.
bool MakeKeyBlock(CByteSource& random, std::vector<uint8_t>& block, std::vector<uint8_t>& key,
                  std::string& error);

// The key window of a scrambled block as the guard unscrambles it; empty when it does not load.
std::vector<uint8_t> KeyOfBlock(const std::vector<uint8_t>& block);
