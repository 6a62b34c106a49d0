// Small helpers shared by the payload tests.
#pragma once

#include <stdint.h>

#include <random>
#include <utility>
#include <string>
#include <vector>

inline std::vector<uint8_t> HexBytes(const std::string& hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back((uint8_t)std::stoul(hex.substr(i, 2), nullptr, 16));
    return out;
}

inline std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out)
        b = (uint8_t)gen();
    return out;
}

// Text that compresses like prose: words drawn from a small vocabulary.
inline std::vector<uint8_t> ProseBytes(size_t n, uint32_t seed)
{
    static const char* const kWords[] = {"keyboard", "layout", "the", "of", "install", "key",
                                         "Windows", "registry", "value", "library", "and", "a",
                                         "press", "shift", "right", "left", "option", "page"};
    std::mt19937 gen(seed);
    std::vector<uint8_t> out;
    while (out.size() < n) {
        const char* w = kWords[gen() % (sizeof(kWords) / sizeof(kWords[0]))];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
        out.push_back(gen() % 11 == 0 ? '\n' : ' ');
    }
    out.resize(n);
    return out;
}

inline uint32_t BigEndian32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
}

// Each 4-byte half of every 8-byte block reversed: a published block as this cipher lays it out.
inline std::vector<uint8_t> ReverseHalves(std::vector<uint8_t> b)
{
    for (size_t i = 0; i + 4 <= b.size(); i += 4) {
        std::swap(b[i], b[i + 3]);
        std::swap(b[i + 1], b[i + 2]);
    }
    return b;
}
