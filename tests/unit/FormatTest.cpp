// The format engine: grammar, padding, integer, character, text and byte-dump writers.
// The same source runs natively and under Wine.
#include <limits.h>
#include <stdint.h>

#include "FormatTestSupport.h"
#include "text/FormatDirective.h"

using namespace formattest;

namespace {

const WChar kAbc[] = WSTR("abc");
const WChar kAb[] = WSTR("ab");
const WChar kANulB[] = {'a', 0, 'b', 0};
const WChar kTab[] = WSTR("\t");
const WChar kLineFeed[] = WSTR("\n");
const WChar kEuro[] = {0x20AC, 0};
const WChar kMixed[] = {'a', 0x01, 0x7F, 0xE9, 0x20AC, ' ', '}', 0};
const char kUtf8Word[] = "h\xE2\x82\xAC";             // h, U+20AC
const char kUtf8Accents[] = "\xC3\xA9\xE2\x82\xAC" "x"; // U+00E9, U+20AC, x
const char kUtf8Invalid[] = "\xC3\x28";
const char kUtf8Controls[] = "a\tb\xE2\x82\xAC\x7F";
const char kUtf8NulInside[] = "\xC3\xA9\0z";
const uint8_t kBytes4[] = {0x01, 0x02, 0x03, 0x04};
const uint8_t kBytes6[] = {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6};
const uint8_t kBytes9[] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0xFF};
const uint8_t kBytes16[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

} // namespace

// Every edge case of the grammar and of the integer, character, text and byte-dump writers.
TEST(Format, GrammarAndIntegerTable)
{
    const Case cases[] = {
        // Grammar: literal text, "%%", directives that are not conversions.
        {WSTR("%d%%"), {I(5)}, 1, "5%"},
        {WSTR("a%"), {}, 1, "a"},
        {WSTR("%q"), {}, 1, "q"},
        {WSTR("%5q"), {}, 1, "q"},
        {WSTR("%-+ 0#$`12.7q!"), {}, 1, "q!"},
        {WSTR("%5%d"), {I(7)}, 1, "%d"},
        {WSTR("%12345678901d"), {I(3)}, 1, "1d"},
        {WSTR("%.12345678901d"), {I(3)}, 1, "1d"},
        {WSTR("%hhd"), {I(3)}, 1, "hd"},
        {WSTR("%Lhd"), {I(3)}, 1, "hd"},
        {WSTR("%*q%d"), {I(9), I(4)}, 1, "q4"},
        {WSTR("x%"), {}, 1, "x"},
        {WSTR("%-"), {}, 1, ""},
        {WSTR(""), {}, 1, ""},
        {WSTR("%N"), {}, 1, "\r\n"},
        {WSTR("%5N|"), {}, 1, "\r\n|"},
        // Padding and sign.
        {WSTR("%05d"), {I(-42)}, 1, "-0042"},
        {WSTR("%5d"), {I(-42)}, 1, "  -42"},
        {WSTR("%-5d|"), {I(-42)}, 1, "-42  |"},
        {WSTR("%-05d|"), {I(-42)}, 1, "-42  |"},
        {WSTR("%+d"), {I(7)}, 1, "+7"},
        {WSTR("%+u"), {I(7)}, 1, "7"},
        {WSTR("% d"), {I(7)}, 1, " 7"},
        {WSTR("%+ d"), {I(7)}, 1, "+7"},
        {WSTR("% d"), {I(-7)}, 1, "-7"},
        {WSTR("%*d"), {I(5), I(42)}, 1, "   42"},
        {WSTR("%*d|"), {I(-5), I(42)}, 1, "42   |"},
        {WSTR("a%*d|"), {I(INT_MIN), I(1)}, 0, "a"},
        {WSTR("%.*d"), {I(4), I(42)}, 1, "0042"},
        {WSTR("%*.*d"), {I(6), I(4), I(42)}, 1, "  0042"},
        {WSTR("%.*d"), {I(-4), I(42)}, 1, "42"},
        {WSTR("%.d"), {I(0)}, 1, "0"},
        // Prefixes and the precision that counts sign and prefix.
        {WSTR("%#x"), {I(255)}, 1, "0xff"},
        {WSTR("%#X"), {I(255)}, 1, "0xFF"},
        {WSTR("%X"), {I(0xABCDEF)}, 1, "ABCDEF"},
        {WSTR("%#o"), {I(8)}, 1, "010"},
        {WSTR("%#.4o"), {I(8)}, 1, "0010"},
        {WSTR("%#y"), {I(5)}, 1, "0y101"},
        {WSTR("%y"), {I(-1)}, 1, "11111111111111111111111111111111"},
        {WSTR("%.3d"), {I(-5)}, 1, "-005"},
        {WSTR("%#.3x"), {I(5)}, 1, "0x005"},
        {WSTR("%#.2x"), {I(5)}, 1, "0x5"},
        {WSTR("%#x"), {I(0)}, 1, "0x0"},
        {WSTR("%#o"), {I(0)}, 1, "00"},
        {WSTR("%#08x"), {I(255)}, 1, "0x0000ff"},
        {WSTR("%-#8x|"), {I(255)}, 1, "0xff    |"},
        {WSTR("%#8x"), {I(255)}, 1, "    0xff"},
        {WSTR("%+05.3d"), {I(5)}, 1, "+0005"},
        {WSTR("%.400d"), {I(1)}, 1, nullptr},   // filled in below: 308 digits
        // Grouping.
        {WSTR("%`d"), {I(1234567)}, 1, "1 234 567"},
        {WSTR("%`d"), {I(123456)}, 1, "123 456"},
        {WSTR("%`x"), {I(0x12345)}, 1, "1 2345"},
        {WSTR("%`d"), {I(-1234)}, 1, "-1 234"},
        {WSTR("%`d"), {I(123)}, 1, "123"},
        {WSTR("%`y"), {I(0x2F)}, 1, "10 1111"},
        {WSTR("%`o"), {I(01234)}, 1, "1 234"},
        {WSTR("%`.7d"), {I(5)}, 1, "0 000 005"},
        {WSTR("%`010d"), {I(1234)}, 1, "000001 234"},
        {WSTR("%#`X"), {I(0xABCDE)}, 1, "0xA BCDE"},
        // Widths of the arguments.
        {WSTR("%d"), {I(INT_MIN)}, 1, "-2147483648"},
        {WSTR("%u"), {I(-1)}, 1, "4294967295"},
        {WSTR("%Ld"), {L(-5000000000LL)}, 1, "-5000000000"},
        {WSTR("%lld"), {L(5000000000LL)}, 1, "5000000000"},
        {WSTR("%Ld"), {L(INT64_MIN)}, 1, "-9223372036854775808"},
        {WSTR("%Lu"), {L(-1)}, 1, "18446744073709551615"},
        {WSTR("%Lx"), {L(0x123456789ABCLL)}, 1, "123456789abc"},
        {WSTR("%hd"), {I(70000)}, 1, "70000"},
        {WSTR("%ld"), {I(-3)}, 1, "-3"},
        // Pointers: eight digits, "{null}" in the number's place.
        {WSTR("%p"), {P(nullptr)}, 1, "  {null}"},
        {WSTR("%p"), {P(0x1234)}, 1, "00001234"},
        {WSTR("%P"), {P(0xabc)}, 1, "00000ABC"},
        {WSTR("%#p"), {P(0x1234)}, 1, "0x00001234"},
        {WSTR("%#p"), {P(nullptr)}, 1, "    {null}"},
        {WSTR("%12p|"), {P(nullptr)}, 1, "      {null}|"},
        {WSTR("%-10p|"), {P(nullptr)}, 1, "  {null}  |"},
        {WSTR("%Lp"), {P(0x1234)}, 1, "00001234"},
        {WSTR("%+p"), {P(0x1234)}, 1, "00001234"},
        {WSTR("%`p"), {P(0x1234ABCD)}, 1, "1234 abcd"},
        // Refusals: the argument is taken, the call fails, earlier text stays.
        {WSTR("ab%Tcd"), {P(nullptr)}, 0, "ab"},
        {WSTR("%d%t%d"), {I(1), P(nullptr), I(2)}, 0, "1"},
        {WSTR("x%Y"), {P(nullptr)}, 0, "x"},
    };
    // 308 digits at most.
    std::string digits308 = std::string(307, '0') + "1";
    Case copy[sizeof cases / sizeof cases[0]];
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        copy[i] = cases[i];
        if (!copy[i].expected)
            copy[i].expected = digits308.c_str();
    }
    RunCases(copy, sizeof copy / sizeof copy[0]);
}

TEST(Format, CharacterTextAndDumpTable)
{
    GString wideString;
    wideString.AssignWide(WSTR("wide\tz"));
    GString narrowString;
    narrowString.AssignUtf8("n\xC3\xA9\x01");
    GString emptyString;
    // Counted records: UTF-8 (bit 31) and UTF-16, each with its terminator.
    const uint8_t utf8Record[] = {3, 0, 0, 0x80, 'a', 0xC3, 0xA9, 0, 'X'};
    const uint8_t wideRecord[] = {2, 0, 0, 0, 'h', 0, 'i', 0, 0, 0};

    const Case cases[] = {
        // Characters.
        {WSTR("%c"), {I('A')}, 1, "A"},
        {WSTR("%5c"), {I('A')}, 1, "    A"},
        {WSTR("%-3c|"), {I('A')}, 1, "A  |"},
        {WSTR("%05c"), {I('A')}, 1, "0000A"},
        {WSTR("%c"), {I(0x20AC)}, 1, "\xE2\x82\xAC"},
        {WSTR("%c"), {I(0x120041)}, 1, "A"},
        {WSTR("%c|"), {I(0)}, 1, "\0|", 2},
        {WSTR("%#c"), {I(9)}, 1, "{09}"},
        {WSTR("%#c"), {I(0x7F)}, 1, "\x7F"},
        {WSTR("%$c"), {I(0x7F)}, 1, "{7f}"},
        {WSTR("%$C"), {I(0xE9)}, 1, "{E9}"},
        {WSTR("%$c"), {I(0x20AC)}, 1, "{ac}"},
        {WSTR("%$c"), {I('~')}, 1, "~"},
        {WSTR("%$6c|"), {I(1)}, 1, "  {01}|"},
        {WSTR("%hc"), {I(0x41)}, 1, "A"},
        {WSTR("%hc"), {I(0x141)}, 1, "A"},
        {WSTR("a%hcb"), {I(0xE9)}, 0, "a"},
        {WSTR("%$hc"), {I(0xE9)}, 1, "{e9}"},
        // Wide texts.
        {WSTR("%.*s|"), {I(-3), P(kANulB)}, 1, "a\0b|", 4},
        {WSTR("%.2s"), {P(kAbc)}, 1, "ab"},
        {WSTR("%.9s"), {P(kAbc)}, 1, "abc"},
        {WSTR("%s"), {P(nullptr)}, 1, "{null}"},
        {WSTR("%8s|"), {P(nullptr)}, 1, "  {null}|"},
        {WSTR("%08s"), {P(nullptr)}, 1, "00{null}"},
        {WSTR("%-8s|"), {P(nullptr)}, 1, "{null}  |"},
        {WSTR("%.2s"), {P(nullptr)}, 1, "{null}"},
        {WSTR("%Ls|"), {P(kAbc)}, 1, "|"},
        {WSTR("%8Ls|"), {P(kAbc)}, 1, "|"},
        {WSTR("%Ls%d"), {P(kAbc), I(5)}, 1, "5"},
        {WSTR("%5s|"), {P(kAb)}, 1, "   ab|"},
        {WSTR("%-5s|"), {P(kAb)}, 1, "ab   |"},
        {WSTR("%05s"), {P(kAb)}, 1, "000ab"},
        {WSTR("%1s"), {P(kAbc)}, 1, "abc"},
        {WSTR("[%s]"), {P(WSTR(""))}, 1, "[]"},
        {WSTR("%S"), {P(kAbc)}, 1, "abc"},
        {WSTR("%$s"), {P(kTab)}, 1, "{09}"},
        {WSTR("%#S"), {P(kLineFeed)}, 1, "{0A}"},
        {WSTR("%$s"), {P(kEuro)}, 1, "{ac}"},
        {WSTR("%$s"), {P(kMixed)}, 1, "a{01}{7f}{e9}{ac} }"},
        {WSTR("%$S"), {P(kMixed)}, 1, "a{01}{7F}{E9}{AC} }"},
        {WSTR("%#s"), {P(kMixed)}, 1, "a{01}\x7F\xC3\xA9\xE2\x82\xAC }"},
        {WSTR("%#$s"), {P(kTab)}, 1, "{09}"},
        {WSTR("%$6s|"), {P(kTab)}, 1, "  {09}|"},
        {WSTR("%$.*s"), {I(-2), P(kANulB)}, 1, "a{00}"},
        // UTF-8 texts.
        {WSTR("%hs"), {P(kUtf8Word)}, 1, "h\xE2\x82\xAC"},
        {WSTR("%5hs|"), {P(kUtf8Word)}, 1, "   h\xE2\x82\xAC|"},
        {WSTR("a%hsb"), {P(kUtf8Invalid)}, 0, "a"},
        {WSTR("%.2hs"), {P(kUtf8Accents)}, 1, "\xC3\xA9\xE2\x82\xAC"},
        {WSTR("%.1hs"), {P(kUtf8Accents)}, 1, "\xC3\xA9"},
        {WSTR("%.*hs|"), {I(-3), P(kUtf8NulInside)}, 1, "\xC3\xA9\0z|", 5},
        {WSTR("%$hs"), {P(kUtf8Word)}, 1, "h{e2}{82}{ac}"},
        {WSTR("%$hS"), {P(kUtf8Word)}, 1, "h{E2}{82}{AC}"},
        {WSTR("%$.2hs"), {P(kUtf8Word)}, 1, "h{e2}"},
        {WSTR("%#hs"), {P(kUtf8Controls)}, 1, "a{09}b\xE2\x82\xAC\x7F"},
        {WSTR("%$hs"), {P(kUtf8Controls)}, 1, "a{09}b{e2}{82}{ac}{7f}"},
        {WSTR("%#hs"), {P(kUtf8Invalid)}, 0, ""},
        {WSTR("%$hs"), {P(kUtf8Invalid)}, 1, "{c3}("},
        {WSTR("%hs"), {P(nullptr)}, 1, "{null}"},
        // GString arguments and counted records.
        {WSTR("%z"), {P(&wideString)}, 1, "wide\tz"},
        {WSTR("%#Z"), {P(&wideString)}, 1, "wide{09}z"},
        {WSTR("%z"), {P(&narrowString)}, 1, "n\xC3\xA9\x01"},
        {WSTR("%$z"), {P(&narrowString)}, 1, "n{c3}{a9}{01}"},
        {WSTR("%#.2z"), {P(&narrowString)}, 1, "n\xC3\xA9"},
        {WSTR("[%3z]"), {P(&emptyString)}, 1, "[   ]"},
        {WSTR("%z"), {P(nullptr)}, 1, "{null}"},
        {WSTR("%hz"), {P(utf8Record)}, 1, "a\xC3\xA9"},
        {WSTR("%hz"), {P(wideRecord)}, 1, "hi"},
        {WSTR("%hZ"), {P(nullptr)}, 1, "{null}"},
        {WSTR("%.1hz"), {P(wideRecord)}, 1, "h"},
        // Byte dumps.
        {WSTR("%.4b"), {P(kBytes4)}, 1, "01020304"},
        {WSTR("%#.2b"), {P(kBytes4)}, 1, "{01}{02}"},
        {WSTR("% .2b"), {P(kBytes4)}, 1, "01 02"},
        {WSTR("%#`.6b"), {P(kBytes6)}, 1, "{a1b2c3d4}{e5f6}"},
        {WSTR("%# `.6b"), {P(kBytes6)}, 1, "{a1 b2 c3 d4} {e5 f6}"},
        {WSTR("% `.6b"), {P(kBytes6)}, 1, "a1 b2 c3 d4  e5 f6"},
        {WSTR("%`.6b"), {P(kBytes6)}, 1, "a1b2c3d4 e5f6"},
        {WSTR("%`.4b"), {P(kBytes6)}, 1, "a1b2c3d4"},
        {WSTR("%# .3B"), {P(kBytes6)}, 1, "{A1} {B2} {C3}"},
        {WSTR("%.9B"), {P(kBytes9)}, 1, "0011223344556677FF"},
        {WSTR("%`.9B"), {P(kBytes9)}, 1, "00112233 44556677 FF"},
        {WSTR("%8.2b|"), {P(kBytes4)}, 1, "    0102|"},
        {WSTR("%-8.2b|"), {P(kBytes4)}, 1, "0102    |"},
        {WSTR("%08.2b|"), {P(kBytes4)}, 1, "00000102|"},
        {WSTR("%b%d"), {P(kBytes4), I(5)}, 1, "5"},
        {WSTR("%8b|"), {P(kBytes4)}, 1, "|"},
        {WSTR("%.*b|"), {I(-2), P(kBytes4)}, 1, "|"},
        {WSTR("%.2b"), {P(nullptr)}, 1, "{null}"},
        {WSTR("%b|"), {P(nullptr)}, 1, "|"},
    };
    RunCases(cases, sizeof cases / sizeof cases[0]);
}

// Each conversion takes exactly its own arguments: the %d after it must see the next one.
TEST(Format, ConversionsTakeTheirArguments)
{
    int counter = 0;
    GString string;
    string.AssignWide(WSTR("g"));
    const Case cases[] = {
        {WSTR("%d|%d"), {I(1), I(12345)}, 1, "1|12345"},
        {WSTR("%Ld|%d"), {L(1), I(12345)}, 1, "1|12345"},
        {WSTR("%llx|%d"), {L(0x1FFFFFFFFLL), I(12345)}, 1, "1ffffffff|12345"},
        {WSTR("%p|%d"), {P(0x10), I(12345)}, 1, "00000010|12345"},
        {WSTR("%c|%d"), {I('c'), I(12345)}, 1, "c|12345"},
        {WSTR("%s|%d"), {P(kAb), I(12345)}, 1, "ab|12345"},
        {WSTR("%hs|%d"), {P("ab"), I(12345)}, 1, "ab|12345"},
        {WSTR("%z|%d"), {P(&string), I(12345)}, 1, "g|12345"},
        {WSTR("%.1b|%d"), {P(kBytes4), I(12345)}, 1, "01|12345"},
        {WSTR("%n|%d"), {P(&counter), I(12345)}, 1, "|12345"},
        {WSTR("%N|%d"), {I(12345)}, 1, "\r\n|12345"},
        {WSTR("%%|%d"), {I(12345)}, 1, "%|12345"},
        {WSTR("%*.*d|%d"), {I(3), I(2), I(7), I(12345)}, 1, " 07|12345"},
        {WSTR("%*.*s|%d"), {I(3), I(1), P(kAb), I(12345)}, 1, "  a|12345"},
        {WSTR("%.1f|%d"), {D(2.25), I(12345)}, 1, "2.3|12345"},
        {WSTR("%.1e|%d"), {D(2.25), I(12345)}, 1, "2.3e+00|12345"},
        {WSTR("%G|%d"), {D(2.25), I(12345)}, 1, "2|12345"},
        {WSTR("%A|%d"), {D(2.25), I(12345)}, 1, "0x1.2P+1|12345"},
        {WSTR("%F|%d"), {D(2.25), I(12345)}, 1, "2.25e+00|12345"},
        {WSTR("%hF|%d"), {I(2), I(12345)}, 1, "2.00e+00|12345"},
        {WSTR("%LF|%d"), {L(2), I(12345)}, 1, "2.00e+00|12345"},
        {WSTR("%U|%d"), {I(2), I(12345)}, 1, "2.0b00|12345"},
        {WSTR("%LI|%d"), {L(-2), I(12345)}, 1, "-2.0b00|12345"},
        {WSTR("%w|%d"), {P(kBytes4), I(12345)}, 1, "4.3.2.1|12345"},
        {WSTR("%hW|%d"), {P(kBytes16), I(12345)}, 1, "{03020100-0504-0706-0809-0A0B0C0D0E0F}|12345"},
    };
    RunCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(Format, CountStoresWhatThisCallAppended)
{
    GString s;
    s.AssignWide(WSTR("prefix:"));
    int first = -1;
    int second = -1;
    ASSERT_TRUE(AppendFormat(s, WSTR("%n%5d%n|%s"), &first, 42, &second, kAbc));
    EXPECT_EQ(0, first);
    EXPECT_EQ(5, second) << "the string's full length is 12, the call had appended 5";
    EXPECT_EQ(W(WSTR("prefix:   42|abc")), Text(s));

    int untouched = 99;
    ASSERT_TRUE(GString::Format(s, WSTR("ab%n%n"), (int*)nullptr, &untouched));
    EXPECT_EQ(2, untouched);
    EXPECT_EQ(W(WSTR("ab")), Text(s));
}

TEST(Format, FormatResetsAndAppendFormatAppends)
{
    GString s;
    s.AssignUtf8("narrow");
    ASSERT_TRUE(GString::Format(s, WSTR("%d"), 5));
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(W(WSTR("5")), Text(s));
    ASSERT_TRUE(AppendFormat(s, WSTR("-%s"), kAb));
    EXPECT_EQ(W(WSTR("5-ab")), Text(s));
    EXPECT_TRUE(Terminated(s));
}

TEST(Format, RefusedTargetsAndDirectives)
{
    GString narrow;
    narrow.AssignUtf8("n");
    EXPECT_FALSE(AppendFormat(narrow, WSTR("%d"), 1));
    EXPECT_FALSE(narrow.IsWide());
    EXPECT_EQ(1, narrow.GetLength());

    GString s;
    EXPECT_FALSE(GString::Format(s, nullptr));
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(0, s.GetLength());

    // A failure keeps what came before it, terminated, also from earlier calls.
    s.AssignWide(WSTR("keep "));
    EXPECT_FALSE(AppendFormat(s, WSTR("%d %hs %d"), 7, kUtf8Invalid, 8));
    EXPECT_EQ(W(WSTR("keep 7 ")), Text(s));
    EXPECT_TRUE(Terminated(s));
}

// Arguments that point into the target's own text stay valid while the target grows.
TEST(Format, ArgumentsFromTheTargetItself)
{
    GString s;
    s.AssignWide(WSTR("0123456789"));
    const WChar* own = s.WideAt(0);
    // Each copy of the 10 characters is appended while the block has to grow.
    ASSERT_TRUE(AppendFormat(s, WSTR("%s%s%s%s%s"), own, own, own, own, own));
    WText expected;
    for (int i = 0; i < 6; ++i)
        expected += W(WSTR("0123456789"));
    EXPECT_EQ(Show(expected), Show(Text(s)));

    // A text pointer into the target reads the text the call started with; %z of the target
    // reads the target as it stands when the directive runs.
    GString t;
    t.AssignWide(WSTR("ab"));
    const WChar* start = t.WideAt(0);
    ASSERT_TRUE(AppendFormat(t, WSTR("-%z-%z%s%-40.*s|"), &t, &t, start, -9, start));
    EXPECT_EQ(Show(W(WSTR("ab-ab--ab-ab--ab")) + W(WSTR("ab")) + WText(38, ' ') + W(WSTR("|"))),
              Show(Text(t)));

    // Bytes from the target's own block.
    GString b;
    b.AssignWide(WSTR("AB"));
    ASSERT_TRUE(AppendFormat(b, WSTR("%200s|%.4b"), WSTR("x"), (const void*)b.WideAt(0)));
    EXPECT_EQ(W(WSTR("41004200")), Text(b).substr(Text(b).size() - 8));

    // %z of a target that has no block yet, and of one that Format has just emptied.
    GString fresh;
    fresh.Reset(true);
    ASSERT_TRUE(AppendFormat(fresh, WSTR("%z"), &fresh));
    EXPECT_EQ(0, fresh.GetLength());
    fresh.AssignWide(WSTR("old"));
    ASSERT_TRUE(GString::Format(fresh, WSTR("[%z]"), &fresh));
    EXPECT_EQ(W(WSTR("[[]")), Text(fresh));

    GString u;
    u.AssignWide(WSTR("z"));
    ASSERT_TRUE(AppendFormat(u, WSTR("%100s%$s"), WSTR("y"), u.WideAt(0)));
    EXPECT_EQ(W(WSTR("z")) + WText(99, ' ') + W(WSTR("yz")), Text(u));
}

TEST(Format, DirectiveParser)
{
    struct Row {
        const WChar* text;
        unsigned flags;
        int width;
        int precision;
        int widthStar;
        int precisionStar;
        WChar conversion;
        int length;
    };
    const Row rows[] = {
        {WSTR("%d"), kFmtSigned, -1, 0, 0, 0, 'd', 2},
        {WSTR("%%"), 0, -1, 0, 0, 0, '%', 2},
        {WSTR("%"), 0, -1, 0, 0, 0, 0, 1},
        {WSTR("%-+ 0#$`x"), kFmtLeft | kFmtPlus | kFmtSpace | kFmtZero | kFmtAlt | kFmtStrict |
                                kFmtGroup | kFmtHex, -1, 0, 0, 0, 'x', 9},
        {WSTR("%12.34X"), kFmtHex | kFmtUpper, 12, 34, 0, 0, 'X', 7},
        {WSTR("%*.*s"), 0, -1, 0, 1, 1, 's', 5},
        {WSTR("%.s"), 0, -1, 0, 0, 0, 's', 3},
        {WSTR("%.q"), 0, -1, 0, 0, 0, 0, 2},
        {WSTR("%9999999999d"), kFmtSigned, kFormatNumberMax, 0, 0, 0, 'd', 12},
        {WSTR("%12345678901d"), 0, 1234567890, 0, 0, 0, 0, 11},
        {WSTR("%Lu"), kFmtSize64, -1, 0, 0, 0, 'u', 3},
        {WSTR("%llu"), kFmtSize64, -1, 0, 0, 0, 'u', 4},
        {WSTR("%lu"), kFmtSize32, -1, 0, 0, 0, 'u', 3},
        {WSTR("%hs"), kFmtNarrow, -1, 0, 0, 0, 's', 3},
        {WSTR("%hls"), kFmtNarrow, -1, 0, 0, 0, 0, 2},
        {WSTR("%p"), kFmtPointer, -1, 0, 0, 0, 'p', 2},
        {WSTR("%P"), kFmtPointer | kFmtUpper, -1, 0, 0, 0, 'P', 2},
        {WSTR("%o"), kFmtOctal, -1, 0, 0, 0, 'o', 2},
        {WSTR("%y"), kFmtBinary, -1, 0, 0, 0, 'y', 2},
        {WSTR("%I"), kFmtSigned, -1, 0, 0, 0, 'I', 2},
        {WSTR("%i"), kFmtSigned, -1, 0, 0, 0, 'i', 2},
        {WSTR("%F"), 0, -1, 0, 0, 0, 'F', 2},
        {WSTR("%U"), 0, -1, 0, 0, 0, 'U', 2},
        {WSTR("%N"), 0, -1, 0, 0, 0, 'N', 2},
        {WSTR("%T"), 0, -1, 0, 0, 0, 'T', 2},
        {WSTR("%Y"), 0, -1, 0, 0, 0, 'Y', 2},
        {WSTR("%A"), kFmtUpper, -1, 0, 0, 0, 'A', 2},
        {WSTR("%B"), kFmtUpper, -1, 0, 0, 0, 'B', 2},
        {WSTR("%C"), kFmtUpper, -1, 0, 0, 0, 'C', 2},
        {WSTR("%E"), kFmtUpper, -1, 0, 0, 0, 'E', 2},
        {WSTR("%G"), kFmtUpper, -1, 0, 0, 0, 'G', 2},
        {WSTR("%S"), kFmtUpper, -1, 0, 0, 0, 'S', 2},
        {WSTR("%W"), kFmtUpper, -1, 0, 0, 0, 'W', 2},
        {WSTR("%Z"), kFmtUpper, -1, 0, 0, 0, 'Z', 2},
        {WSTR("%k"), 0, -1, 0, 0, 0, 0, 1},
        {WSTR("%*5d"), 0, -1, 0, 1, 0, 0, 2},
    };
    for (const Row& r : rows) {
        FormatDirective d;
        ParseFormatDirective(r.text, d);
        std::string name = Show(W(r.text));
        EXPECT_EQ(r.flags, d.flags) << name;
        EXPECT_EQ(r.width, d.width) << name;
        EXPECT_EQ(r.precision, d.precision) << name;
        EXPECT_EQ(r.widthStar, d.widthStar) << name;
        EXPECT_EQ(r.precisionStar, d.precisionStar) << name;
        EXPECT_EQ(r.conversion, d.conversion) << name;
        EXPECT_EQ(r.length, d.length) << name;
    }
}

// Literal text and plain texts go straight into the free room; runs longer than the room
// continue after one growth.
TEST(Format, RunsLongerThanTheFreeRoom)
{
    const WText literal = W(WSTR("0123456789abcdefghijklmnopqrstuvwxyz!"));   // 37 units
    WText directives = literal + W(WSTR("%s|%.30s|%s"));
    const WText text = W(WSTR("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"));        // 36 units
    for (int start = 0; start < 40; start += 3) {
        GString s;
        s.AssignWide(WText((size_t)start, '.').c_str());
        ASSERT_TRUE(AppendFormat(s, directives.c_str(), text.c_str(), text.c_str(), WSTR("")));
        WText expected = WText((size_t)start, '.') + literal + text + W(WSTR("|")) + text.substr(0, 30) +
                         W(WSTR("|"));
        EXPECT_EQ(Show(expected), Show(Text(s))) << start;
        EXPECT_TRUE(Terminated(s));
    }
}
