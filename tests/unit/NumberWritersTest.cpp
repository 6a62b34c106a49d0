// The number writers and the digit conversions behind them. The same source runs natively
// and under Wine.
#include <float.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

#include "FormatTestSupport.h"
#include "text/DecimalDigits.h"

using namespace formattest;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const uint8_t kLoopback[] = {0x01, 0x00, 0x00, 0x7F};
const uint8_t kAddress[] = {0xFE, 0x0A, 0xA8, 0xC0};
// Data1 0x33221100, Data2 0x5544, Data3 0x7766, Data4 88 99 AA BB CC DD EE FF.
const uint8_t kGuid[] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                         0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};

double Bits(uint64_t bits)
{
    double x;
    memcpy(&x, &bits, sizeof x);
    return x;
}

// The reference: the C library's 17 significant digits (printf's "%.16e", correctly rounded)
// and the decimal point position.
struct Reference {
    std::string digits;   // 17 digits
    int decpt;
};

Reference Nearest17(double x)
{
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%.16e", fabs(x));
    Reference r;
    r.digits = std::string(1, buffer[0]) + std::string(buffer + 2, 16);
    r.decpt = atoi(strchr(buffer, 'e') + 1) + 1;
    if (x == 0)
        r.decpt = 1;
    return r;
}

// Half-up rounding of a digit string to n digits (n >= 0); a carry out of the first digit
// gives "1" and raises decpt. Returns the rounded digits.
std::string RoundHalfUp(const std::string& digits, int n, int& decpt)
{
    std::string kept = digits.substr(0, (size_t)n);
    if ((size_t)n >= digits.size() || digits[(size_t)n] < '5')
        return kept;
    for (int i = n - 1; i >= 0; --i) {
        if (kept[(size_t)i] != '9') {
            ++kept[(size_t)i];
            return kept;
        }
        kept[(size_t)i] = '0';
    }
    ++decpt;
    return "1" + kept;
}

// The values the digit conversions are checked on: edge values, exact ties, and random
// doubles over the whole exponent range and near common magnitudes.
std::vector<double> Samples()
{
    std::vector<double> v = {1.0, 0.1, 0.5, 0.125, 2.5, 9.96, 9.5, 0.95, 99.5, 1e23, 1e22, 5e-324,
                             4.9406564584124654e-324, 2.2250738585072014e-308, 2.2250738585072009e-308,
                             DBL_MAX, 123456789012345678.0, 0.3, 2.0 / 3.0, 1.0 / 3.0, 1e-5,
                             12345.678, 0.0047, 1e300, 1e-300, 9007199254740993.0, 3.14159,
                             1.0 + 1.0 / 131072, 1.00000762939453125, 5e-5, 0.000123456789};
    // Exact ties at the 18th significant digit: (2k + 1) / 2^17 has 17 places.
    for (int k = 1; k < 40; ++k)
        v.push_back(1.0 + (2 * k + 1) / 131072.0);
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 1500; ++i) {
        double x = Bits(random());
        if (isfinite(x))
            v.push_back(x);
    }
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> power(-30, 30);
    for (int i = 0; i < 4000; ++i)
        v.push_back(mantissa(random) * pow(10.0, power(random)) * (i % 2 ? -1 : 1));
    // Short decimals, whose 17 digits end in zeros and whose shorter forms hit exact halves.
    for (int i = 0; i < 2000; ++i)
        v.push_back((double)(random() % 100000) / pow(10.0, (double)(random() % 6)));
    return v;
}

} // namespace

// Every edge case of the number writers, and more of each conversion.
TEST(NumberWriters, Table)
{
    const Case cases[] = {
        // Fixed notation.
        {WSTR("%f"), {D(1.5)}, 1, "1.500000"},
        {WSTR("%.2f"), {D(0.125)}, 1, "0.13"},
        {WSTR("%.0f"), {D(2.5)}, 1, "2.500000"},
        {WSTR("%.f"), {D(2.5)}, 1, "2.500000"},
        {WSTR("%f"), {D(0.001234)}, 1, "0.001234"},
        {WSTR("%08.2f"), {D(-1.5)}, 1, "-0001.50"},
        {WSTR("%.20f"), {D(0.1)}, 1, "0.10000000000000001000"},
        {WSTR("%.1f"), {D(0.25)}, 1, "0.3"},
        {WSTR("%.1f"), {D(0.96)}, 1, "1.0"},
        {WSTR("%.2f"), {D(0.0096)}, 1, "0.01"},
        {WSTR("%.2f"), {D(0.001234)}, 1, "0.00"},
        {WSTR("%.3f"), {D(-0.0001)}, 1, "-0.000"},
        {WSTR("%f"), {D(-0.0)}, 1, "0.000000"},
        {WSTR("%f"), {D(0.0)}, 1, "0.000000"},
        {WSTR("%+f"), {D(1.5)}, 1, "+1.500000"},
        {WSTR("% f"), {D(1.5)}, 1, " 1.500000"},
        {WSTR("%+ f"), {D(1.5)}, 1, "+1.500000"},
        {WSTR("%12.3f|"), {D(-3.25)}, 1, "      -3.250|"},
        {WSTR("%-12.3f|"), {D(3.25)}, 1, "3.250       |"},
        {WSTR("%.3f"), {D(99.9996)}, 1, "100.000"},
        {WSTR("%.2f"), {D(1e17)}, 1, "100000000000000000.00"},
        {WSTR("%.0f"), {D(123456789012345678.0)}, 1, "123456789012345680.000000"},
        {WSTR("%f"), {D(1e-7)}, 1, "0.000000"},
        {WSTR("%f"), {D(5e-7)}, 1, "0.000000"},   // the double is 4.9999999999999998e-07
        {WSTR("%f"), {D(6e-7)}, 1, "0.000001"},
        {WSTR("%.308f|"), {D(1e50)}, 0, ""},
        {WSTR("ab%.300f"), {D(1e51)}, 0, "ab"},
        // Exponent notation.
        {WSTR("%e"), {D(12345.678)}, 1, "1.234568e+04"},
        {WSTR("%E"), {D(1e-300)}, 1, "1.000000E-300"},
        {WSTR("%e"), {D(0.0)}, 1, "0.000000e+00"},
        {WSTR("%.2e"), {D(9.996)}, 1, "1.00e+01"},
        {WSTR("%e"), {D(1e100)}, 1, "1.000000e+100"},
        {WSTR("%.0e"), {D(5.0)}, 1, "5.000000e+00"},
        {WSTR("%+.1e"), {D(-0.000123)}, 1, "-1.2e-04"},
        {WSTR("%+.1e"), {D(0.000125)}, 1, "+1.3e-04"},
        {WSTR("%e"), {D(DBL_MAX)}, 1, "1.797693e+308"},
        {WSTR("%e"), {D(4.9406564584124654e-324)}, 1, "4.940656e-324"},
        {WSTR("%.20e"), {D(1.0 / 3.0)}, 1, "3.33333333333333310000e-01"},
        {WSTR("%015.3e"), {D(-1234.5)}, 1, "-000001.235e+03"},
        // General notation.
        {WSTR("%g"), {D(3.14159)}, 1, "3"},
        {WSTR("%.6g"), {D(3.14159)}, 1, "3.14159"},
        {WSTR("%.3g"), {D(1e10)}, 1, "1e+10"},
        {WSTR("%.3g"), {D(0.0001)}, 1, "0.0001"},
        {WSTR("%.3g"), {D(0.00001)}, 1, "1e-05"},
        {WSTR("%#.3g"), {D(1.0)}, 1, "1.00"},
        {WSTR("%.3g"), {D(0.0)}, 1, "0"},
        {WSTR("%#.3g"), {D(0.0)}, 1, "0.00"},
        {WSTR("%+g"), {D(0.0)}, 1, "+0"},
        {WSTR("%g"), {D(100000.0)}, 1, "1e+05"},
        {WSTR("%.6g"), {D(100000.0)}, 1, "100000"},
        {WSTR("%.6g"), {D(1000000.0)}, 1, "1e+06"},
        {WSTR("%#.6g"), {D(1000000.0)}, 1, "1.00000e+06"},
        {WSTR("%G"), {D(1e-10)}, 1, "1E-10"},
        {WSTR("%#g"), {D(1.0)}, 1, "1."},
        {WSTR("%.3g"), {D(0.5)}, 1, "0.5"},
        {WSTR("%.3g"), {D(123.456)}, 1, "123"},
        {WSTR("%.4g"), {D(123.456)}, 1, "123.5"},
        {WSTR("%.17g"), {D(0.1)}, 1, "0.10000000000000001"},
        {WSTR("%.3g"), {D(-0.0001234)}, 1, "-0.000123"},
        {WSTR("%.2g"), {D(9.96)}, 1, "10"},
        {WSTR("%.1g"), {D(0.96)}, 1, "1"},
        {WSTR("%.*g"), {I(-1), D(3.14159)}, 1, "3.14159"},
        {WSTR("%.3g"), {D(100.0)}, 1, "100"},
        {WSTR("%.3g"), {D(1000.0)}, 1, "1e+03"},
        {WSTR("%8.3g|"), {D(2.5)}, 1, "     2.5|"},
        // Hexadecimal notation.
        {WSTR("%a"), {D(1.0)}, 1, "0x1p+0"},
        {WSTR("%a"), {D(3.0)}, 1, "0x1.8p+1"},
        {WSTR("%A"), {D(255.5)}, 1, "0x1.FFP+7"},
        {WSTR("%.1a"), {D(1.96875)}, 1, "0x2.0p+0"},
        {WSTR("%a"), {D(-0.0)}, 1, "-0x0p+0"},
        {WSTR("%a"), {D(0.0)}, 1, "0x0p+0"},
        {WSTR("%a"), {D(0.5)}, 1, "0x1p-1"},
        {WSTR("%a"), {D(Bits(0x0008000000000000ull))}, 1, "0x0.8p-1022"},
        {WSTR("%a"), {D(4.9406564584124654e-324)}, 1, "0x0.0000000000001p-1022"},
        {WSTR("%.2a"), {D(1.0)}, 1, "0x1.00p+0"},
        {WSTR("%#a"), {D(1.0)}, 1, "0x1.p+0"},
        {WSTR("%010a"), {D(1.5)}, 1, "0x001.8p+0"},
        {WSTR("%+a"), {D(1.0)}, 1, "+0x1p+0"},
        {WSTR("% 012a"), {D(-1.5)}, 1, "-0x0001.8p+0"},
        {WSTR("%.1a"), {D(Bits(0x3FF0780000000000ull))}, 1, "0x1.0p+0"},
        {WSTR("%.1a"), {D(Bits(0x3FF0800000000000ull))}, 1, "0x1.1p+0"},
        {WSTR("%.2a"), {D(Bits(0x3FF1F80000000000ull))}, 1, "0x1.20p+0"},
        {WSTR("%.14a"), {D(1.5)}, 1, "0x1.80000000000000p+0"},
        {WSTR("%a"), {D(DBL_MAX)}, 1, "0x1.fffffffffffffp+1023"},
        {WSTR("%.1a"), {D(Bits(0x000F800000000000ull))}, 1, "0x1.0p-1022"},
        // Engineering notation.
        {WSTR("%F"), {D(0.0047)}, 1, "4.70e-03"},
        {WSTR("%#F"), {D(0.0047)}, 1, "4.70 m"},
        {WSTR("%#F"), {D(4700.0)}, 1, "4.70 k"},
        {WSTR("%#F|"), {D(47.0)}, 1, "47.0  |"},
        {WSTR("%#F"), {D(0.000002)}, 1, "2.00 \xC2\xB5"},
        {WSTR("%#F"), {D(1e30)}, 1, "1.00e+30"},
        {WSTR("%hF"), {I(4700)}, 1, "4.70e+03"},
        {WSTR("%#hF|%d"), {I(-12), I(5)}, 1, "-12.0  |5"},
        {WSTR("%#LF"), {L(5000000000LL)}, 1, "5.00 G"},
        {WSTR("%F"), {D(0.0)}, 1, "0.00e+00"},
        {WSTR("%#F|"), {D(0.0)}, 1, "0.00  |"},
        {WSTR("%F"), {D(123456.0)}, 1, "123.e+03"},
        {WSTR("%#F"), {D(123456.0)}, 1, "123. k"},
        {WSTR("%#.5F"), {D(123456.0)}, 1, "123.46 k"},
        {WSTR("%#.2F"), {D(123456.0)}, 1, "123. k"},
        {WSTR("%F"), {D(-0.0047)}, 1, "-4.70e-03"},
        {WSTR("%#F"), {D(1e-24)}, 1, "1.00 y"},
        {WSTR("%#F"), {D(1e24)}, 1, "1.00 Y"},
        {WSTR("%#F"), {D(1e-25)}, 1, "100.e-27"},
        {WSTR("%#F"), {D(999999.0)}, 1, "1.00 M"},
        {WSTR("%#F"), {D(2.2e-9)}, 1, "2.20 n"},
        {WSTR("%#F"), {D(3.3e-12)}, 1, "3.30 p"},
        {WSTR("%#F"), {D(4.4e-15)}, 1, "4.40 f"},
        {WSTR("%#F"), {D(5.5e-18)}, 1, "5.50 a"},
        {WSTR("%#F"), {D(6.6e-21)}, 1, "6.60 z"},
        {WSTR("%#F"), {D(7.7e9)}, 1, "7.70 G"},
        {WSTR("%#F"), {D(8.8e12)}, 1, "8.80 T"},
        {WSTR("%#F"), {D(9.9e15)}, 1, "9.90 P"},
        {WSTR("%#F"), {D(1.1e18)}, 1, "1.10 E"},
        {WSTR("%#F"), {D(2.5e21)}, 1, "2.50 Z"},
        {WSTR("%#F"), {D(4.7e6)}, 1, "4.70 M"},
        {WSTR("%010F"), {D(47.0)}, 1, "0047.0e+00"},
        {WSTR("%8#F|"), {D(0.000002)}, 1, "#F|"},
        {WSTR("%#8F|"), {D(0.000002)}, 1, "  2.00 \xC2\xB5|"},
        {WSTR("%#-8F|"), {D(0.000002)}, 1, "2.00 \xC2\xB5  |"},
        {WSTR("%F"), {D(4.9406564584124654e-324)}, 1, "4.94e-324"},
        // Sizes.
        {WSTR("%#U"), {I(1536)}, 1, "1.5 Ki"},
        {WSTR("%U"), {I(1536)}, 1, "1.5b10"},
        {WSTR("%#U"), {I(1000)}, 1, "1.0 Ki"},
        {WSTR("%#U"), {I(100)}, 1, "0.1 Ki"},
        {WSTR("%U"), {I(12)}, 1, "12.b00"},
        {WSTR("%#.3U"), {I(1048576)}, 1, "1.00 Mi"},
        {WSTR("%I"), {I(-2048)}, 1, "-2.0b10"},
        {WSTR("%U"), {I(0)}, 1, "0.0b00"},
        {WSTR("%#U"), {I(12)}, 1, "12.  B"},
        {WSTR("%U"), {I(1023)}, 1, "1.0b10"},
        {WSTR("%U"), {I(1024)}, 1, "1.0b10"},
        {WSTR("%.4U"), {I(1023)}, 1, "1023.b00"},
        {WSTR("%U"), {I(-1)}, 1, "4.0b30"},
        {WSTR("%I"), {I(-1)}, 1, "-1.0b00"},
        {WSTR("%+U"), {I(5)}, 1, "+5.0b00"},
        {WSTR("% I"), {I(5)}, 1, " 5.0b00"},
        {WSTR("%LU"), {L(-1)}, 1, "16.b60"},
        {WSTR("%#LU"), {L(-1)}, 1, "16. Ei"},
        {WSTR("%LI"), {L(INT64_MIN)}, 1, "-8.0b60"},
        {WSTR("%#LU"), {L(3LL << 40)}, 1, "3.0 Ti"},
        {WSTR("%#LU"), {L(5LL << 50)}, 1, "5.0 Pi"},
        {WSTR("%#U"), {I((int)(3u << 30))}, 1, "3.0 Gi"},
        {WSTR("%#U"), {I(1048575)}, 1, "1.0 Mi"},
        {WSTR("%.*U"), {I(-1), I(1536)}, 1, "1.50b10"},
        {WSTR("%.1U"), {I(1536)}, 1, "1.5b10"},
        {WSTR("%.5U"), {I(1536)}, 1, "1.5000b10"},
        {WSTR("%8U|"), {I(1536)}, 1, "  1.5b10|"},
        {WSTR("%-8U|"), {I(1536)}, 1, "1.5b10  |"},
        {WSTR("%08I"), {I(-1536)}, 1, "-01.5b10"},
        {WSTR("%U|%d"), {I(1536), I(7)}, 1, "1.5b10|7"},
        // Addresses and GUIDs.
        {WSTR("%w"), {P(kLoopback)}, 1, "127.0.0.1"},
        {WSTR("%0w"), {P(kLoopback)}, 1, "127.000.000.001"},
        {WSTR("%w"), {P(nullptr)}, 1, "{null}"},
        {WSTR("%W"), {P(kAddress)}, 1, "192.168.10.254"},
        {WSTR("%16w|"), {P(kLoopback)}, 1, "       127.0.0.1|"},
        {WSTR("%-16w|"), {P(kLoopback)}, 1, "127.0.0.1       |"},
        {WSTR("%020w"), {P(kLoopback)}, 1, "     127.000.000.001"},
        {WSTR("%08w"), {P(nullptr)}, 1, "  {null}"},
        {WSTR("%hw"), {P(kGuid)}, 1, "{33221100-5544-7766-8899-aabbccddeeff}"},
        {WSTR("%hW"), {P(kGuid)}, 1, "{33221100-5544-7766-8899-AABBCCDDEEFF}"},
        {WSTR("%040hw"), {P(kGuid)}, 1, "  {33221100-5544-7766-8899-aabbccddeeff}"},
        {WSTR("%hW"), {P(nullptr)}, 1, "{null}"},
        {WSTR("%w|%d"), {P(kLoopback), I(7)}, 1, "127.0.0.1|7"},
        // Values that are not finite.
        {WSTR("%f"), {D(kNaN)}, 1, "{ nan}"},
        {WSTR("%8f"), {D(kInf)}, 1, "  {+inf}"},
        {WSTR("%e"), {D(-kInf)}, 1, "{-inf}"},
        {WSTR("%08g"), {D(kInf)}, 1, "00{+inf}"},
        {WSTR("%-8a|"), {D(kNaN)}, 1, "{ nan}  |"},
        {WSTR("%+F"), {D(-kNaN)}, 1, "{ nan}"},
        {WSTR("%#F"), {D(-kInf)}, 1, "{-inf}"},
    };
    RunCases(cases, sizeof cases / sizeof cases[0]);
}

// Widths above 512 count as 512 for the floating-point, engineering and size writers, and
// not for addresses.
TEST(NumberWriters, WidthLimit)
{
    struct Row {
        const WChar* directives;
        Arg arg;
        size_t length;
    };
    const Row rows[] = {
        {WSTR("%600f"), D(1.5), 512},
        {WSTR("%-9999e"), D(1.5), 512},
        {WSTR("%0600g"), D(1.5), 512},
        {WSTR("%600a"), D(1.5), 512},
        {WSTR("%600F"), D(1.5), 512},
        {WSTR("%600U"), I(5), 512},
        {WSTR("%600I"), I(5), 512},
        {WSTR("%600f"), D(kNaN), 512},
        {WSTR("%512f"), D(1.5), 512},
        {WSTR("%511f"), D(1.5), 511},
        {WSTR("%600w"), P(kLoopback), 600},
        {WSTR("%600hw"), P(kGuid), 600},
    };
    for (const Row& r : rows) {
        GString out;
        ASSERT_TRUE(FormatWith(out, r.directives, &r.arg, 1)) << Show(W(r.directives));
        EXPECT_EQ(r.length, (size_t)out.GetLength()) << Show(W(r.directives));
    }
    // The longest fixed conversion: 42 integer digits and 308 places make 350 digits.
    GString out;
    ASSERT_TRUE(GString::Format(out, WSTR("%.308f"), 1e41));
    EXPECT_EQ(351, out.GetLength());
    EXPECT_EQ(W(WSTR("100000000000000000000000000000000000000000.000")), Text(out).substr(0, 46));
    EXPECT_FALSE(GString::Format(out, WSTR("%.308f"), 1e42));
    ASSERT_TRUE(GString::Format(out, WSTR("%.308f"), 1e-300));
    EXPECT_EQ(310, out.GetLength());
}

// The 17 significant digits against the C library's correctly rounded ones.
TEST(NumberWriters, NearestSeventeenDigitsAgainstTheCLibrary)
{
    for (double x : Samples()) {
        if (x == 0)
            continue;
        Reference r = Nearest17(x);
        char digits[17];
        int decpt = 0;
        NearestDigits17(x, digits, decpt);
        ASSERT_EQ(r.digits, std::string(digits, 17)) << x;
        ASSERT_EQ(r.decpt, decpt) << x;
    }
}

// Significant and fixed digits: the 17-digit reference rounded half up, or continued with
// zeros, for many values and counts.
TEST(NumberWriters, DigitConversionsAgainstAnIndependentRounding)
{
    for (double x : Samples()) {
        Reference r = Nearest17(x);
        for (int n = 1; n <= 22; ++n) {
            int decpt = r.decpt;
            std::string expected = n >= 17 ? r.digits + std::string((size_t)(n - 17), '0')
                                           : RoundHalfUp(r.digits, n, decpt);
            if (expected.size() > (size_t)n)
                expected.resize((size_t)n);
            DecimalDigits d;
            SignificantDigits(x, n, d);
            ASSERT_EQ(expected, std::string(d.digits, (size_t)d.count)) << x << " n=" << n;
            ASSERT_EQ(x == 0 ? 1 : decpt, d.decpt) << x << " n=" << n;
            ASSERT_EQ(x < 0, d.negative != 0) << x;
        }
        for (int places = 0; places <= 24; places += 3) {
            int decpt = r.decpt;
            int wanted = decpt + places;
            std::string expected;
            if (wanted >= 17)
                expected = r.digits + std::string((size_t)(wanted - 17), '0');
            else if (wanted >= 0)
                expected = RoundHalfUp(r.digits, wanted, decpt);
            if (x == 0)
                expected = std::string((size_t)(1 + places), '0');
            DecimalDigits d;
            int integerDigits = r.decpt > 0 ? r.decpt : 0;
            if (integerDigits + places > kDecimalDigitLimit) {
                EXPECT_FALSE(FixedDigits(x, places, d)) << x;
                continue;
            }
            ASSERT_TRUE(FixedDigits(x, places, d)) << x;
            ASSERT_EQ(expected, std::string(d.digits, (size_t)d.count)) << x << " places=" << places;
            if (!expected.empty()) {
                ASSERT_EQ(decpt, d.decpt) << x << " places=" << places;
            }
        }
    }
}

// Whole %e and %f fields composed here from the reference digits.
TEST(NumberWriters, ExponentAndFixedFieldsAgainstReferenceDigits)
{
    std::vector<double> samples = Samples();
    for (size_t i = 0; i < samples.size(); i += 7) {
        double x = samples[i];
        Reference r = Nearest17(x);
        int p = 1 + (int)(i % 12);
        // %.pe
        int decpt = r.decpt;
        std::string digits = RoundHalfUp(r.digits, p + 1, decpt);
        digits.resize((size_t)p + 1);
        int exponent = x == 0 ? 0 : decpt - 1;
        char tail[16];
        snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', abs(exponent));
        std::string expected = std::string(x < 0 ? "-" : "") + digits[0] + "." + digits.substr(1) + tail;
        GString out;
        ASSERT_TRUE(GString::Format(out, WSTR("%.*e"), p, x));
        ASSERT_EQ(expected, Show(Text(out))) << x;
        // %.pf for values whose integer part fits
        if (fabs(x) >= 1e30)
            continue;
        decpt = r.decpt;
        int wanted = decpt + p;
        std::string fixed;
        if (wanted >= 17)
            fixed = r.digits + std::string((size_t)(wanted - 17), '0');
        else if (wanted >= 0)
            fixed = RoundHalfUp(r.digits, wanted, decpt);
        if (x == 0) {
            fixed = std::string((size_t)(1 + p), '0');
            decpt = 1;
        }
        if (fixed.empty() || decpt < -p)
            decpt = -p;
        std::string text = x < 0 ? "-" : "";
        if (decpt > 0)
            text += fixed.substr(0, (size_t)decpt) + "." + fixed.substr((size_t)decpt);
        else
            text += "0." + std::string((size_t)-decpt, '0') + fixed;
        ASSERT_TRUE(GString::Format(out, WSTR("%.*f"), p, x));
        ASSERT_EQ(text, Show(Text(out))) << x << " p=" << p;
    }
}

// %a against the C library's %a where both keep every fraction digit.
TEST(NumberWriters, HexadecimalAgainstTheCLibrary)
{
    std::vector<double> samples = Samples();
    for (size_t i = 0; i < samples.size(); i += 3) {
        double x = samples[i];
        if (x == 0 || fabs(x) < DBL_MIN)
            continue;   // zero and subnormals are written differently by C libraries
        char expected[64];
        snprintf(expected, sizeof expected, "%a", x);
        GString out;
        ASSERT_TRUE(GString::Format(out, WSTR("%a"), x));
        ASSERT_EQ(std::string(expected), Show(Text(out))) << x;
    }
}
