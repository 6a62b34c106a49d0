// GString behaviour, natively and under Wine from the same source.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "text/GString.h"

namespace {

typedef std::basic_string<WChar> WText;

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

std::string Narrow(const GString& s)
{
    return std::string(s.NarrowAt(0), (size_t)s.GetLength());
}

// The character after the text must be the terminator whenever a block exists.
bool Terminated(GString& s)
{
    const void* p = s.Terminate();
    if (!p)
        return true;
    if (s.IsWide())
        return s.WideAt(0)[s.GetLength()] == 0;
    return s.NarrowAt(0)[s.GetLength()] == 0;
}

} // namespace

TEST(GString, FreshStringHasNoBlock)
{
    GString s;
    EXPECT_FALSE(s.IsWide());
    EXPECT_EQ(0, s.GetLength());
    EXPECT_EQ(nullptr, s.Terminate());
    EXPECT_NE(nullptr, s.WideAt(0));
    EXPECT_EQ(0, s.WideAt(0)[0]);
    const WChar* w = s.GetWide();
    ASSERT_NE(nullptr, w);
    EXPECT_EQ(0, w[0]);
    EXPECT_FALSE(s.SetLength(5));
    EXPECT_FALSE(s.Reserve(0)) << "compaction without a block reports false";
}

TEST(GString, FillConstructor)
{
    GString s(WSTR('x'), 5);
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(WText(WSTR("xxxxx")), Wide(s));
    EXPECT_TRUE(Terminated(s));
}

TEST(GString, GrowthInBlocksOf64Bytes)
{
    // 10 bytes into a fresh narrow string: one 64-byte block, 59 bytes of capacity.
    GString narrow;
    ASSERT_TRUE(narrow.AppendA("0123456789"));
    ASSERT_TRUE(narrow.EnsureFree(49));
    const char* before = narrow.NarrowAt(0);
    ASSERT_TRUE(narrow.AppendA("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvw"));
    EXPECT_EQ(59, narrow.GetLength());
    EXPECT_EQ(before, narrow.NarrowAt(0)) << "59 bytes fit the first block";
    ASSERT_TRUE(narrow.AppendA("!"));
    EXPECT_NE(before, narrow.NarrowAt(0)) << "the 60th byte needs a new block";
    EXPECT_EQ(60, narrow.GetLength());
    EXPECT_TRUE(Terminated(narrow));

    // 10 units into a fresh wide string: 64 bytes, capacity 29 units.
    GString wide;
    ASSERT_TRUE(wide.AssignWide(WSTR("0123456789")));
    const WChar* w = wide.WideAt(0);
    ASSERT_TRUE(wide.AppendChar(WSTR('z'), 19));
    EXPECT_EQ(w, wide.WideAt(0));
    ASSERT_TRUE(wide.AppendChar(WSTR('z'), 1));
    EXPECT_NE(w, wide.WideAt(0));
    EXPECT_EQ(30, wide.GetLength());
}

TEST(GString, ReserveKeepsTextAndGrowsByHalf)
{
    GString s;
    ASSERT_TRUE(s.AppendA(std::string(100, 'a').c_str()));
    ASSERT_TRUE(s.Reserve(101));
    // The target is max(101, 100 + 50): room for 150 bytes without another allocation.
    const char* p = s.NarrowAt(0);
    ASSERT_TRUE(s.AppendA(std::string(50, 'b').c_str()));
    EXPECT_EQ(p, s.NarrowAt(0));
    EXPECT_EQ(std::string(100, 'a') + std::string(50, 'b'), Narrow(s));
}

TEST(GString, DropFrontThenGrowthCompacts)
{
    GString s;
    ASSERT_TRUE(s.AssignUtf8("abcdef"));
    const char* p = s.NarrowAt(0);
    ASSERT_TRUE(s.DropFront(3));
    EXPECT_EQ("def", Narrow(s));
    EXPECT_EQ(p + 3, s.NarrowAt(0)) << "dropping costs only an offset";
    ASSERT_TRUE(s.AppendA(std::string(200, 'x').c_str()));
    EXPECT_EQ("def" + std::string(200, 'x'), Narrow(s));
    EXPECT_TRUE(Terminated(s));

    // Room that exists behind a dropped front is won back by compacting in place.
    GString c;
    ASSERT_TRUE(c.AppendA(std::string(50, 'q').c_str()));   // 64-byte block, capacity 59
    const char* block = c.NarrowAt(0);
    ASSERT_TRUE(c.DropFront(45));
    ASSERT_TRUE(c.AppendA(std::string(40, 'r').c_str()));   // 5 + 40 fits after compaction
    EXPECT_EQ(block, c.NarrowAt(0));
    EXPECT_EQ(std::string(5, 'q') + std::string(40, 'r'), Narrow(c));
}

TEST(GString, DropFrontEdges)
{
    GString s;
    ASSERT_TRUE(s.AssignUtf8("abc"));
    EXPECT_FALSE(s.DropFront(0));
    EXPECT_FALSE(s.DropFront(-1));
    ASSERT_TRUE(s.DropFront(99));
    EXPECT_EQ(0, s.GetLength());
    ASSERT_TRUE(s.AppendA("z"));
    EXPECT_EQ("z", Narrow(s));
}

TEST(GString, WideBufferForSystemCalls)
{
    GString s;
    WChar* buffer = s.GetWideBuffer(261);
    ASSERT_NE(nullptr, buffer);
    const WChar text[] = {'Q', ':', '\\', 'X', 0};
    memcpy(buffer, text, sizeof(text));
    ASSERT_TRUE(s.SetLength(-1));
    EXPECT_EQ(4, s.GetLength());
    EXPECT_EQ(WText(WSTR("Q:\\X")), Wide(s));
}

TEST(GString, SetLengthLimits)
{
    GString s;
    ASSERT_TRUE(s.AssignUtf8("abc"));   // 64 bytes: capacity 59
    ASSERT_TRUE(s.SetLength(1000));
    EXPECT_EQ(59, s.GetLength());
    ASSERT_TRUE(s.SetLength(0));
    EXPECT_EQ(0, s.GetLength());
}

TEST(GString, WideAtAndNarrowAtClampAndCheckMode)
{
    GString s;
    ASSERT_TRUE(s.AssignWide(WSTR("abc")));
    EXPECT_EQ(WSTR('c'), *s.WideAt(2));
    EXPECT_EQ(0, *s.WideAt(99));
    EXPECT_EQ(0, *s.WideAt(-1));
    EXPECT_EQ(0, *s.NarrowAt(0)) << "a wide string has no narrow text";
}

TEST(GString, Utf8DecodingRules)
{
    struct Case
    {
        const char* bytes;
        bool ok;
        WText units;
    };
    const std::vector<Case> cases = {
        {"\xE2\x82\xAC", true, WText(1, (WChar)0x20AC)},
        {"\xC3\xA9", true, WText(1, (WChar)0xE9)},
        {"\xC3\x28", false, WText()},              // wrong continuation byte
        {"\xF0\x9F\x98\x80", false, WText()},      // four-byte sequences are refused
        {"\x80", false, WText()},                  // stray continuation
        {"\xE2\x82", false, WText()},              // cut off by the end
        {"\xC0\x80", true, WText(1, (WChar)0)},    // overlong forms decode as they are
        {"\xED\xA0\x80", true, WText(1, (WChar)0xD800)},
    };
    for (const Case& c : cases) {
        GString s;
        ASSERT_TRUE(s.AssignWide(WSTR("ab")));
        const WChar* before = s.WideAt(0);
        EXPECT_EQ(c.ok, s.AppendUtf8(c.bytes) != 0) << c.bytes;
        EXPECT_EQ(WText(WSTR("ab")) + c.units, Wide(s));
        if (!c.ok) {
            EXPECT_EQ(before, s.WideAt(0));
            EXPECT_EQ(0, s.WideAt(0)[2]) << "terminator stays in place";
        }
    }
}

TEST(GString, InvalidUtf8LeavesNarrowStringUntouchedByGetWide)
{
    GString s;
    ASSERT_TRUE(s.AssignUtf8("ok\xC3\x28"));
    EXPECT_EQ(nullptr, s.GetWide());
    EXPECT_FALSE(s.IsWide());
    EXPECT_EQ("ok\xC3\x28", Narrow(s));
}

TEST(GString, Utf16ToUtf8EncodesUnitsOneByOne)
{
    const WChar units[] = {0x41, 0xE9, 0x20AC, 0xD83D, 0xDE00, 0, 0x42};
    GString s;
    ASSERT_TRUE(s.Append(units, 7));
    EXPECT_EQ(std::string("A\xC3\xA9\xE2\x82\xAC\xED\xA0\xBD\xED\xB8\x80", 12) + std::string(1, '\0') + "B", Narrow(s));

    GString w;
    ASSERT_TRUE(w.AssignWide(units, 3));
    ASSERT_NE(nullptr, w.GetNarrow());
    EXPECT_EQ("A\xC3\xA9\xE2\x82\xAC", Narrow(w));
    ASSERT_NE(nullptr, w.GetWide());
    EXPECT_EQ(WText(units, 3), Wide(w));
}

TEST(GString, CharacterAndByteAppendsRespectModes)
{
    GString narrow;
    EXPECT_FALSE(narrow.AppendChar((WChar)0xE9, 1));
    EXPECT_EQ(0, narrow.GetLength());
    EXPECT_TRUE(narrow.Append(WText(1, (WChar)0xE9).c_str(), 1));
    EXPECT_EQ("\xC3\xA9", Narrow(narrow));
    EXPECT_TRUE(narrow.AppendChar(WSTR('x'), 2));
    EXPECT_TRUE(narrow.AppendByte('\xFF', 1));
    EXPECT_EQ("\xC3\xA9xx\xFF", Narrow(narrow));
    EXPECT_TRUE(narrow.AppendChar(0, 5));
    EXPECT_TRUE(narrow.AppendByte('y', 0));
    EXPECT_EQ(5, narrow.GetLength());

    GString wide(WSTR('a'), 1);
    EXPECT_FALSE(wide.AppendByte('\x80', 1));
    EXPECT_TRUE(wide.AppendByte('b', 2));
    EXPECT_FALSE(wide.AppendA("x"));
    EXPECT_FALSE(wide.AppendA(""));
    EXPECT_EQ(WText(WSTR("abb")), Wide(wide));
    EXPECT_FALSE(narrow.AppendW(WSTR("x")));
    EXPECT_TRUE(wide.AppendLineBreak());
    EXPECT_EQ(WText(WSTR("abb\r\n")), Wide(wide));
}

TEST(GString, AppendGStringAcrossModes)
{
    GString w1, w2, n1, n2;
    w1.AssignWide(WSTR("w\xE9"));
    n1.AssignUtf8("n\xC3\xA9");
    w2.AssignWide(WSTR("<"));
    n2.AssignUtf8("<");
    ASSERT_TRUE(w2.Append(w1));
    ASSERT_TRUE(w2.Append(n1));
    ASSERT_TRUE(n2.Append(w1));
    ASSERT_TRUE(n2.Append(n1));
    EXPECT_EQ(WText(WSTR("<w\xE9n\xE9")), Wide(w2));
    EXPECT_EQ("<w\xC3\xA9n\xC3\xA9", Narrow(n2));
}

TEST(GString, AssignForms)
{
    GString s;
    const uint8_t narrowRecord[] = {3, 0, 0, 0x80, 'a', 'b', 'c'};
    ASSERT_TRUE(s.AssignCounted(narrowRecord));
    EXPECT_FALSE(s.IsWide());
    EXPECT_EQ("abc", Narrow(s));

    const uint8_t wideRecord[] = {2, 0, 0, 0, 'h', 0, 'i', 0};
    ASSERT_TRUE(s.AssignCounted(wideRecord));
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(WText(WSTR("hi")), Wide(s));

    // Bits 29 and 30 are not part of the length and do not select UTF-8.
    const uint8_t flagged[] = {1, 0, 0, 0x40, 'z', 0};
    ASSERT_TRUE(s.AssignCounted(flagged));
    EXPECT_EQ(WText(WSTR("z")), Wide(s));

    EXPECT_FALSE(s.AssignCounted(nullptr));
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(0, s.GetLength());

    GString source;
    source.AssignUtf8("\xC3\xA9t\xC3\xA9");
    GString target;
    ASSERT_TRUE(target.AssignAsWide(&source));
    EXPECT_EQ(WText(WSTR("\xE9t\xE9")), Wide(target));
    ASSERT_TRUE(source.AssignAsNarrow(&target));
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", Narrow(source));
    EXPECT_FALSE(target.AssignAsNarrow(nullptr));
    EXPECT_FALSE(target.IsWide());
    GString copy;
    ASSERT_TRUE(copy.Assign(source));
    EXPECT_EQ(Narrow(source), Narrow(copy));
}

TEST(GString, AppendPathSeparatorRules)
{
    struct Case
    {
        const char* base;
        const WChar* part;
        const char* expected;
    };
    const Case cases[] = {
        {"Q:\\dir", WSTR("\\sub"), "Q:\\dir\\sub"},
        {"Q:\\dir\\", WSTR("\\sub"), "Q:\\dir\\sub"},
        {"Q:\\dir", WSTR("sub"), "Q:\\dir\\sub"},
        {"", WSTR("\\sub"), "\\sub"},
        {"Q:\\dir", WSTR("//x"), "Q:\\dir\\/x"},
        {"Q:\\dir/", WSTR("x"), "Q:\\dir/\\x"},
        {"Q:\\dir", WSTR(""), "Q:\\dir\\"},
        {"Q:\\dir\\", nullptr, "Q:\\dir\\"},
        {"Q:", WSTR("/"), "Q:\\"},
    };
    for (const Case& c : cases) {
        GString wide;
        wide.AssignWide(WText(c.base, c.base + strlen(c.base)).c_str());
        EXPECT_TRUE(wide.AppendPath(c.part));
        std::string expected = c.expected;
        EXPECT_EQ(WText(expected.begin(), expected.end()), Wide(wide)) << c.base;
        EXPECT_TRUE(Terminated(wide));

        GString narrow;
        narrow.AssignUtf8(c.base);
        std::string part;
        for (const WChar* p = c.part; p && *p; ++p)
            part += (char)*p;
        EXPECT_TRUE(narrow.AppendPathUtf8(c.part ? part.c_str() : nullptr));
        EXPECT_EQ(expected, Narrow(narrow)) << c.base;
    }
    GString s;
    s.AssignWide(WSTR("Q:\\dir"));
    s.AppendPath(WSTR("\\sub"));
    EXPECT_EQ(10, s.GetLength());
}

TEST(GString, EnsureSuffix)
{
    GString s;
    s.AssignWide(WSTR("file"));
    EXPECT_FALSE(s.EnsureSuffix(nullptr));
    EXPECT_FALSE(s.EnsureSuffix(WSTR("")));
    EXPECT_FALSE(s.EnsureSuffix(WSTR(".txt"), 0));
    EXPECT_TRUE(s.EnsureSuffix(WSTR(".txt")));
    EXPECT_TRUE(s.EnsureSuffix(WSTR(".txt")));
    EXPECT_EQ(WText(WSTR("file.txt")), Wide(s));
    EXPECT_TRUE(s.EnsureSuffixUtf8("\xC3\xA9"));
    EXPECT_EQ(WText(WSTR("file.txt\xE9")), Wide(s));
    EXPECT_FALSE(s.EnsureSuffixUtf8("\xC3"));

    GString n;
    n.AssignUtf8("caf\xC3\xA9");
    EXPECT_TRUE(n.EnsureSuffix(WSTR("\xE9")));
    EXPECT_EQ("caf\xC3\xA9", Narrow(n));
}

TEST(GString, FindAndReverseFind)
{
    GString s;
    s.AssignWide(WSTR("Q:\\dir\\file.txt"));
    EXPECT_EQ(6, s.ReverseFind(WSTR('\\'), 0));
    EXPECT_EQ(-1, s.ReverseFind(WSTR('\\'), 7));
    EXPECT_EQ(-1, s.ReverseFind(WSTR('\\'), -1));
    EXPECT_EQ(-1, s.ReverseFind(WSTR('\\'), 99));
    ASSERT_TRUE(s.DropFront(7));
    EXPECT_EQ(WText(WSTR("file.txt")), Wide(s));

    GString h;
    h.AssignWide(WSTR("abcabc"));
    EXPECT_EQ(1, h.Find(WSTR("bc")));
    EXPECT_EQ(4, h.Find(WSTR("bc"), 2));
    EXPECT_EQ(-1, h.Find(WSTR("bc"), 5));
    EXPECT_EQ(-1, h.Find(WSTR("")));
    EXPECT_EQ(-1, h.Find(nullptr));
    EXPECT_EQ(-1, h.Find(WSTR("abcabcd")));
    EXPECT_EQ(-1, h.Find(WSTR("a"), -1));
    EXPECT_EQ(-1, h.Find(WSTR("a"), 6));
    EXPECT_EQ(3, h.FindUtf8("abc", 1));
    EXPECT_EQ(-1, h.FindUtf8("\xC3"));

    // A narrow string searches and answers in bytes.
    GString n;
    n.AssignUtf8("\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(2, n.Find(WSTR("t")));
    EXPECT_EQ(3, n.Find(WText(1, (WChar)0xE9).c_str(), 1));
    EXPECT_EQ(3, n.ReverseFind((WChar)0xE9, 0));
    EXPECT_EQ(-1, n.ReverseFind((WChar)0xE9, 4));
    EXPECT_EQ(2, n.ReverseFind(WSTR('t'), 0));
}

TEST(GString, CompareIsLengthFirst)
{
    struct Case
    {
        const WChar* left;
        const WChar* right;
        int expected;
    };
    const Case cases[] = {
        {WSTR("b"), WSTR("aa"), -1},
        {WSTR("ab"), WSTR("aa"), 1},
        {WSTR("aa"), WSTR("ab"), -1},
        {WSTR(""), WSTR(""), 0},
        {WSTR(""), WSTR("a"), -1},
        {WSTR("a"), WSTR(""), 1},
        {WSTR("abc"), WSTR("abc"), 0},
        {WSTR("\xE9"), WSTR("z"), 1},
    };
    for (const Case& c : cases) {
        GString w;
        w.AssignWide(c.left);
        EXPECT_EQ(c.expected, w.Compare(c.right)) << "wide";
    }
    GString empty;
    EXPECT_EQ(0, empty.Compare(nullptr));

    GString n;
    n.AssignUtf8("b");
    EXPECT_EQ(-1, n.Compare(WSTR("aa")));
    EXPECT_EQ(-1, n.CompareUtf8("aa"));
    GString w;
    w.AssignWide(WSTR("\xE9"));
    EXPECT_EQ(0, w.CompareUtf8("\xC3\xA9"));
    EXPECT_EQ(0, w.CompareUtf8("\xC3")) << "a failed conversion compares as 0";
    // In bytes, U+00E9 (two bytes) is longer than "z".
    GString nb;
    nb.AssignUtf8("z");
    EXPECT_EQ(-1, nb.Compare(WSTR("\xE9")));
}

TEST(GString, MakeUpperMapping)
{
    struct Case
    {
        uint16_t in;
        uint16_t out;
    };
    const Case cases[] = {
        {'a', 'A'}, {'z', 'Z'}, {'A', 'A'}, {'{', '{'}, {0xB5, 0xB5}, {0xDF, 0xDF}, {0xE0, 0xC0},
        {0xF6, 0xD6}, {0xF7, 0xF7}, {0xF8, 0xD8}, {0xFF, 0x178}, {0x101, 0x100}, {0x100, 0x100},
        {0x131, 0x49}, {0x17F, 0x53}, {0x1C5, 0x1C4}, {0x1C6, 0x1C4}, {0x345, 0x399},
        {0x3C2, 0x3A3}, {0x3D0, 0x3D0}, {0x3D5, 0x3D5}, {0x3D6, 0x3D6}, {0x3F0, 0x3F0},
        {0x3F1, 0x3F1}, {0x430, 0x410}, {0x44F, 0x42F}, {0x450, 0x400}, {0x561, 0x531},
        {0x1D79, 0xA77D}, {0x1D7D, 0x2C63}, {0x1E01, 0x1E00}, {0x1E9B, 0x1E60}, {0x1F80, 0x1F88},
        {0x1FB3, 0x1FBC}, {0x1FBE, 0x399}, {0x214E, 0x2132}, {0x2170, 0x2160}, {0x24D0, 0x24B6},
        {0x2C30, 0x2C00}, {0x2D00, 0x10A0}, {0xA733, 0xA732}, {0xA78C, 0xA78B}, {0xFF41, 0xFF21},
        {0x265, 0x265}, {0x10D0, 0x10D0}, {0xD800, 0xD800},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, (uint16_t)GString::UpperUnit((WChar)c.in)) << std::hex << c.in;

    GString w;
    w.AssignWide(WSTR("stra\xDF" "e \xB5 \xFF"));
    ASSERT_TRUE(w.MakeUpper());
    EXPECT_EQ(WText(WSTR("STRA\xDF" "E \xB5 ")) + WText(1, (WChar)0x178), Wide(w));

    GString n;
    n.AssignUtf8("stra\xC3\x9F" "e \xC2\xB5 \xC3\xBF \xC4\xB1");
    ASSERT_TRUE(n.MakeUpper());
    EXPECT_FALSE(n.IsWide());
    EXPECT_EQ("STRA\xC3\x9F" "E \xC2\xB5 \xC5\xB8 I", Narrow(n));

    GString bad;
    bad.AssignUtf8("ab\xC3");
    EXPECT_FALSE(bad.MakeUpper());
    EXPECT_EQ("ab\xC3", Narrow(bad));
}

namespace {

void Collect(const WChar* line, int length, void* context)
{
    ((std::vector<WText>*)context)->push_back(WText(line, (size_t)length));
}

} // namespace

TEST(GString, DebugOutputLineSplitting)
{
    struct Case
    {
        int chars;
        int maxChars;
        std::vector<int> lineChars;
    };
    const Case cases[] = {
        {170, 65535, {80, 80, 10}},
        {160, 65535, {80, 80}},
        {80, 65535, {80}},
        {5, 65535, {5}},
        {170, 100, {80, 20}},
        {0, 65535, {}},
    };
    for (const Case& c : cases) {
        GString s(WSTR('w'), c.chars);
        std::vector<WText> lines;
        s.DebugLines(c.maxChars, Collect, &lines);
        ASSERT_EQ(c.lineChars.size(), lines.size()) << c.chars;
        for (size_t i = 0; i < lines.size(); ++i) {
            bool last = i + 1 == lines.size();
            WText ending = last ? WText(WSTR("\n")) : WText(WSTR(" \\\n"));
            EXPECT_EQ(WText((size_t)c.lineChars[i], WSTR('w')) + ending, lines[i]);
        }
    }

    // A narrow string counts and cuts by UTF-8 characters, never inside a sequence.
    std::string text;
    for (int i = 0; i < 81; ++i)
        text += "\xC3\xA9";
    GString n;
    n.AssignUtf8(text.c_str());
    std::vector<WText> lines;
    n.DebugLines(65535, Collect, &lines);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(WText(80, (WChar)0xE9) + WText(WSTR(" \\\n")), lines[0]);
    EXPECT_EQ(WText(1, (WChar)0xE9) + WText(WSTR("\n")), lines[1]);

    // The real channel must accept the same text without harm.
    n.DebugOutput(65535);
}

TEST(GString, ResetKeepsBlockAndSwitchesMode)
{
    GString s;
    s.AssignUtf8("hello");
    const char* p = s.NarrowAt(0);
    s.Reset(true);
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(0, s.GetLength());
    s.AppendW(WSTR("hi"));
    EXPECT_EQ((const void*)p, (const void*)s.WideAt(0));
}
