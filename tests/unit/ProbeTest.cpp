// Platform decisions: the version code and which release and architecture are supported.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "app/Platform.h"

TEST(Probe, VersionCode)
{
    struct Case {
        uint32_t major, minor;
        int code;
    } cases[] = {
        {5, 0, 50}, {5, 1, 51}, {5, 2, 52}, {6, 0, 60}, {6, 1, 61},
        {6, 2, 62}, {6, 3, 63}, {10, 0, 100}, {6, 4, 64}, {0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, OsVersionCode(c.major, c.minor)) << c.major << "." << c.minor;
}

TEST(Probe, SixtyFourBitArchitectures)
{
    for (uint32_t arch = 0; arch <= 0xFFFF; ++arch) {
        bool want = arch == 6 || arch == 9;
        EXPECT_EQ(want, Is64BitArchitecture((uint16_t)arch) != 0) << arch;
    }
}

TEST(Probe, SupportedPlatforms)
{
    // Release, architecture pairs the installer has libraries for.
    const std::set<std::pair<int, int>> supported = {
        {50, 0}, {51, 0},
        {52, 0}, {52, 6}, {52, 9}, {60, 0}, {60, 6}, {60, 9}, {61, 0}, {61, 6}, {61, 9},
        {62, 0}, {62, 6}, {62, 9}, {63, 0}, {63, 6}, {63, 9}, {100, 0}, {100, 6}, {100, 9},
    };
    const int versions[] = {-1, 0, 40, 49, 50, 51, 52, 53, 59, 60, 61, 62, 63, 64, 99, 100, 101, 110};
    const int arches[] = {0, 1, 5, 6, 9, 10, 12, 0xFFFF};
    for (int v : versions) {
        for (int a : arches) {
            bool want = supported.count({v, a}) != 0;
            EXPECT_EQ(want, IsSupportedPlatform(v, (uint16_t)a) != 0) << v << " on " << a;
        }
    }
}
