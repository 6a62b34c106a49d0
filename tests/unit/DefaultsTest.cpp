// The hexadecimal field read from the default-language string at start-up.
#include <gtest/gtest.h>

#include "app/Defaults.h"

TEST(Defaults, ScanHexFieldReadsLikeScanf)
{
    struct Case
    {
        const WChar* text;
        int fields;
        uint32_t value;
    };
    const Case cases[] = {
        {WSTR("0419"), 1, 0x0419},
        {WSTR("415"), 1, 0x415},
        {WSTR("  \t0415 trailing"), 1, 0x415},
        {WSTR("0x0415"), 1, 0x415},
        {WSTR("0X1f"), 1, 0x1F},
        {WSTR("abcdef"), 1, 0xABCDEF},
        {WSTR("+10"), 1, 0x10},
        {WSTR("-1"), 1, 0xFFFFFFFFu},
        {WSTR("0x"), 1, 0},
        {WSTR("0xg"), 1, 0},
        {WSTR("123456789"), 1, 0xFFFFFFFFu},
        {WSTR(""), 0, 77},
        {WSTR("   "), 0, 77},
        {WSTR("xyz"), 0, 77},
        {WSTR("-"), 0, 77},
        {WSTR("g12"), 0, 77},
        {nullptr, 0, 77},
    };
    for (const Case& c : cases) {
        uint32_t value = 77;
        EXPECT_EQ(c.fields, ScanHexField(c.text, value));
        EXPECT_EQ(c.value, value);
    }
}
