#include <gtest/gtest.h>

#include "PayloadTestUtil.h"
#include "payload/Blowfish.h"

namespace {

struct Vector
{
    const char* key;
    const char* plain;
    const char* cipher;
};

// Eric Young's variable-key vectors (key, clear and cipher bytes as published, each 32-bit half
// big-endian).
const Vector kVariableKey[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// Eric Young's set-key vectors: the first n bytes of one key (n = 1..24), one clear block.
const char kSetKeyKey[] = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
const char kSetKeyPlain[] = "FEDCBA9876543210";
const char* const kSetKeyCipher[24] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
    "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
    "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
    "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
    "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

std::vector<Vector> AllVectors(std::vector<std::string>& keys)
{
    std::vector<Vector> all(std::begin(kVariableKey), std::end(kVariableKey));
    keys.clear();
    for (int n = 1; n <= 24; ++n)
        keys.push_back(std::string(kSetKeyKey, (size_t)n * 2));
    for (int n = 0; n < 24; ++n)
        all.push_back({keys[(size_t)n].c_str(), kSetKeyPlain, kSetKeyCipher[n]});
    return all;
}

// Encrypts whole blocks in place with the little-endian mapping (the installer never encrypts;
// the tests need it to make data).
void EncryptLE(const CBlowfishCipher& c, std::vector<uint8_t>& b)
{
    for (size_t i = 0; i + 8 <= b.size(); i += 8) {
        uint32_t l = (uint32_t)b[i] | (uint32_t)b[i + 1] << 8 | (uint32_t)b[i + 2] << 16 | (uint32_t)b[i + 3] << 24;
        uint32_t r = (uint32_t)b[i + 4] | (uint32_t)b[i + 5] << 8 | (uint32_t)b[i + 6] << 16 | (uint32_t)b[i + 7] << 24;
        c.EncryptBlock(l, r);
        for (int k = 0; k < 4; ++k) {
            b[i + k] = (uint8_t)(l >> (8 * k));
            b[i + 4 + k] = (uint8_t)(r >> (8 * k));
        }
    }
}

} // namespace

TEST(Blowfish, EncryptBlockMatchesPublishedVectors)
{
    std::vector<std::string> keys;
    for (const Vector& v : AllVectors(keys)) {
        std::vector<uint8_t> key = HexBytes(v.key), plain = HexBytes(v.plain), cipher = HexBytes(v.cipher);
        CBlowfishCipher c;
        c.SetKey(key.data(), (int)key.size());
        uint32_t l = BigEndian32(plain, 0), r = BigEndian32(plain, 4);
        c.EncryptBlock(l, r);
        EXPECT_EQ(l, BigEndian32(cipher, 0)) << "key " << v.key;
        EXPECT_EQ(r, BigEndian32(cipher, 4)) << "key " << v.key;
        c.DecryptBlock(l, r);
        EXPECT_EQ(l, BigEndian32(plain, 0)) << "key " << v.key;
        EXPECT_EQ(r, BigEndian32(plain, 4)) << "key " << v.key;
    }
}

// Laid out in memory, a published cipher block with each half reversed decrypts to the
// published clear block with each half reversed; the key bytes keep their published order.
TEST(Blowfish, DecryptUsesLittleEndianHalves)
{
    std::vector<std::string> keys;
    for (const Vector& v : AllVectors(keys)) {
        std::vector<uint8_t> key = HexBytes(v.key);
        std::vector<uint8_t> in = ReverseHalves(HexBytes(v.cipher));
        std::vector<uint8_t> out(8, 0);
        CBlowfishCipher c;
        c.SetKey(key.data(), (int)key.size());
        c.Decrypt(in.data(), out.data(), 8);
        EXPECT_EQ(out, ReverseHalves(HexBytes(v.plain))) << "key " << v.key;
    }
}

TEST(Blowfish, RoundTripsInPlaceAndOutOfPlace)
{
    const int keyLengths[] = {1, 3, 8, 56, 72, 495};
    const size_t sizes[] = {8, 16, 64, 4096, 65536 + 8};
    for (int keyLength : keyLengths) {
        std::vector<uint8_t> key = RandomBytes((size_t)keyLength, (uint32_t)keyLength);
        CBlowfishCipher c;
        c.SetKey(key.data(), keyLength);
        for (size_t size : sizes) {
            std::vector<uint8_t> plain = RandomBytes(size, (uint32_t)(size * 31 + keyLength));
            std::vector<uint8_t> encrypted = plain;
            EncryptLE(c, encrypted);
            EXPECT_NE(encrypted, plain);

            std::vector<uint8_t> outOfPlace(size, 0);
            const std::vector<uint8_t> source = encrypted;
            c.Decrypt(encrypted.data(), outOfPlace.data(), (uint32_t)size);
            EXPECT_EQ(encrypted, source) << "the input of an out-of-place decryption is not written";
            EXPECT_EQ(outOfPlace, plain) << "key " << keyLength << " size " << size;

            c.Decrypt(encrypted.data(), encrypted.data(), (uint32_t)size);
            EXPECT_EQ(encrypted, outOfPlace) << "in place equals out of place";
        }
    }
}

// A length that is not whole blocks still decrypts whole blocks: 1..8 one block, 9 two; bytes
// after the last block are not touched, and a length of 0 touches nothing.
TEST(Blowfish, DecryptProcessesWholeBlocks)
{
    std::vector<uint8_t> key = HexBytes("0123456789ABCDEF");
    CBlowfishCipher c;
    c.SetKey(key.data(), (int)key.size());
    std::vector<uint8_t> plain = RandomBytes(24, 7);
    std::vector<uint8_t> encrypted = plain;
    EncryptLE(c, encrypted);

    struct Case
    {
        uint32_t length;
        size_t blocks;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {7, 1}, {8, 1}, {9, 2}, {16, 2}, {17, 3}};
    for (const Case& k : cases) {
        std::vector<uint8_t> out(24, 0xAA);
        c.Decrypt(encrypted.data(), out.data(), k.length);
        for (size_t i = 0; i < 24; ++i) {
            uint8_t expected = i < k.blocks * 8 ? plain[i] : 0xAA;
            EXPECT_EQ(out[i], expected) << "length " << k.length << " byte " << i;
        }
    }
}

TEST(Blowfish, PaddedLengthRoundsUpToBlocks)
{
    const uint32_t cases[][2] = {{0, 0},   {1, 8},   {7, 8},   {8, 8},  {9, 16},
                                 {15, 16}, {16, 16}, {17, 24}, {5271, 5272},
                                 {0xFFFFFFF0u, 0xFFFFFFF0u}, {0xFFFFFFF1u, 0xFFFFFFF8u}};
    for (const auto& c : cases)
        EXPECT_EQ(CBlowfishCipher::PaddedLength(c[0]), c[1]) << c[0];
}

// The schedule reads 72 key bytes, cyclically: a longer key's tail plays no part and a shorter
// key behaves as its repetition.
TEST(Blowfish, KeyScheduleUsesSeventyTwoBytesCyclically)
{
    std::vector<uint8_t> longKey = RandomBytes(495, 3);
    std::vector<uint8_t> changedTail = longKey;
    for (size_t i = 72; i < changedTail.size(); ++i)
        changedTail[i] ^= 0x5A;
    std::vector<uint8_t> changedHead = longKey;
    changedHead[71] ^= 1;

    std::vector<uint8_t> shortKey = {0x10, 0x32, 0x54, 0x76, 0x98};
    std::vector<uint8_t> repeated;
    while (repeated.size() < 72)
        repeated.push_back(shortKey[repeated.size() % shortKey.size()]);

    auto encrypt = [](const std::vector<uint8_t>& key) {
        CBlowfishCipher c;
        c.SetKey(key.data(), (int)key.size());
        uint32_t l = 0x01234567, r = 0x89ABCDEF;
        c.EncryptBlock(l, r);
        return (uint64_t)l << 32 | r;
    };
    EXPECT_EQ(encrypt(longKey), encrypt(changedTail));
    EXPECT_NE(encrypt(longKey), encrypt(changedHead));
    EXPECT_EQ(encrypt(shortKey), encrypt(repeated));
}

// The initial table is pi's fractional part in hexadecimal: computed here independently with
// Machin's formula, pi = 16 atan(1/5) - 4 atan(1/239), in fixed point.
TEST(Blowfish, InitialTableIsPi)
{
    const size_t words = kBlowfishTableWords + 2;   // two guard words
    // Fixed point: limb 0 is the integer part, limbs 1.. the fraction, most significant first.
    typedef std::vector<uint32_t> Fixed;
    auto divide = [](Fixed& x, uint32_t d) {
        uint64_t rem = 0;
        for (auto& limb : x) {
            uint64_t cur = rem << 32 | limb;
            limb = (uint32_t)(cur / d);
            rem = cur % d;
        }
    };
    auto addOrSub = [](Fixed& acc, const Fixed& x, bool add) {
        uint64_t carry = 0;
        for (size_t i = acc.size(); i-- > 0;) {
            if (add) {
                uint64_t s = (uint64_t)acc[i] + x[i] + carry;
                acc[i] = (uint32_t)s;
                carry = s >> 32;
            } else {
                uint64_t s = (uint64_t)acc[i] - x[i] - carry;
                acc[i] = (uint32_t)s;
                carry = (s >> 32) & 1;
            }
        }
    };
    auto isZero = [](const Fixed& x) {
        for (uint32_t limb : x)
            if (limb)
                return false;
        return true;
    };
    auto arctanInverse = [&](uint32_t n, uint32_t factor) {
        Fixed sum(words + 1, 0), term(words + 1, 0), part(words + 1, 0);
        term[0] = factor;
        divide(term, n);   // factor / n
        for (uint32_t k = 0;; ++k) {
            part = term;
            divide(part, 2 * k + 1);
            if (isZero(part))
                break;
            addOrSub(sum, part, k % 2 == 0);
            divide(term, n);
            divide(term, n);
        }
        return sum;
    };
    Fixed pi = arctanInverse(5, 16);
    addOrSub(pi, arctanInverse(239, 4), false);
    ASSERT_EQ(pi[0], 3u);
    for (int i = 0; i < kBlowfishTableWords; ++i)
        ASSERT_EQ(BlowfishInitialTable[i], pi[(size_t)i + 1]) << "word " << i;
}
