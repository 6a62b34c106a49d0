// Reading a text the system gives by buffer size, and matching an associated program's path.
#include <gtest/gtest.h>

#include <string>

#include "engine/ShellRules.h"

namespace {

typedef std::basic_string<WChar> WText;

// A query that has `text` to give: too small a buffer gets the status `tooSmall` and the size
// it would need (or `reported` when set); `fail` makes every call fail.
struct FakeQuery
{
    WText text;
    int32_t tooSmall = kQueryBufferTooSmall;
    uint32_t reported = 0;
    int32_t fail = 0;
    int calls = 0;
    std::vector<uint32_t> sizes;
};

int32_t Ask(void* context, WChar* buffer, uint32_t& units)
{
    FakeQuery* q = (FakeQuery*)context;
    ++q->calls;
    q->sizes.push_back(units);
    if (q->fail)
        return q->fail;
    uint32_t need = (uint32_t)q->text.size() + 1;
    if (units < need) {
        units = q->reported ? q->reported : need;
        return q->tooSmall;
    }
    for (size_t i = 0; i < q->text.size(); ++i)
        buffer[i] = q->text[i];
    buffer[q->text.size()] = 0;
    units = need - 1;
    return 0;
}

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

WText Path(size_t length)
{
    WText path = WSTR("C:\\");
    while (path.size() < length)
        path += WSTR("x");
    return path.substr(0, length - 4) + WSTR(".exe");
}

} // namespace

TEST(Shell, QueryTextGrowsOnceWhenAsked)
{
    struct Case {
        const char* what;
        size_t length;       // of the text the query has
        int growOnce;
        uint32_t reported;   // size reported when too small (0: the true one)
        int32_t tooSmall;    // status for too small a buffer
        bool found;
        int calls;
    } cases[] = {
        {"fits", 100, 1, 0, kQueryBufferTooSmall, true, 1},
        {"fits exactly with its terminator", 2047, 0, 0, kQueryBufferTooSmall, true, 1},
        {"one unit too long without growing", 2048, 0, 0, kQueryBufferTooSmall, false, 1},
        {"longer, grown", 3000, 1, 0, kQueryBufferTooSmall, true, 2},
        {"longer, not grown", 3000, 0, 0, kQueryBufferTooSmall, false, 1},
        {"size reported no larger", 3000, 1, 2048, kQueryBufferTooSmall, false, 1},
        {"size reported still too small", 3000, 1, 2500, kQueryBufferTooSmall, false, 2},
        {"absurd size refused", 3000, 1, 0x40000000u, kQueryBufferTooSmall, false, 1},
        {"another failure is not a small buffer", 3000, 1, 0, (int32_t)0x80070002u, false, 1},
    };
    for (const Case& c : cases) {
        FakeQuery q;
        q.text = Path(c.length);
        q.reported = c.reported;
        q.tooSmall = c.tooSmall;
        GString out;
        out.AssignWide(WSTR("previous"));
        int32_t status = QueryText(Ask, &q, 2048, c.growOnce, out);
        EXPECT_EQ(c.found, status >= 0) << c.what;
        EXPECT_EQ(c.calls, q.calls) << c.what;
        EXPECT_EQ(2048u, q.sizes[0]) << c.what;
        if (c.found) {
            EXPECT_TRUE(Wide(out) == q.text) << c.what;
        } else {
            EXPECT_EQ(0, out.GetLength()) << c.what;
        }
        if (q.calls == 2) {
            EXPECT_EQ(c.reported ? c.reported : c.length + 1, q.sizes[1]) << c.what;
        }
    }
}

TEST(Shell, QueryTextFailures)
{
    FakeQuery q;
    q.fail = (int32_t)0x80070483u;
    GString out;
    EXPECT_EQ(q.fail, QueryText(Ask, &q, 2048, 1, out));
    EXPECT_EQ(1, q.calls);
    EXPECT_EQ(0, out.GetLength());
    EXPECT_LT(QueryText(nullptr, &q, 2048, 1, out), 0);
    EXPECT_LT(QueryText(Ask, &q, 0, 1, out), 0);
    // An empty answer is a success with the empty text.
    FakeQuery empty;
    out.AssignWide(WSTR("x"));
    EXPECT_EQ(0, QueryText(Ask, &empty, 2048, 0, out));
    EXPECT_EQ(0, out.GetLength());
}

TEST(Shell, PathNamesProgram)
{
    struct Case {
        const WChar* path;
        const char* text;
        int match;
    } cases[] = {
        {WSTR("C:\\Program Files\\Browser\\browser.exe"), ".EXE", 1},
        {WSTR("C:\\Program Files\\Browser\\browser.exe"), "BROWSER", 1},
        {WSTR("C:\\Program Files\\Browser\\browser.exe"), ".exe", 0},   // the text is not upper-cased
        {WSTR("C:\\Program Files\\Browser\\browser.exe"), "Browser", 0},
        {WSTR("C:\\Program Files\\Browser\\browser.exe"), "C:\\PROGRAM FILES\\BROWSER\\BROWSER.EXE", 1},
        {WSTR("C:\\Program Files\\Browser\\browser.exe"), "C:\\PROGRAM FILES\\BROWSER\\BROWSER.EXE ", 0},
        {WSTR("C:\\Programy\\\x017C\x00F3\x0142w.exe"), "\xC5\xBB\xC3\x93\xC5\x81W", 1},
        {WSTR("C:\\Program Files\\Browser\\browser.exe"), "", 0},
        {WSTR(""), ".EXE", 0},
    };
    for (const Case& c : cases) {
        GString path, text;
        path.AssignWide(c.path);
        text.AssignUtf8(c.text);
        EXPECT_EQ(c.match, PathNamesProgram(path, text)) << c.text;
        // The path itself is left as it was.
        EXPECT_EQ(0, path.Compare(c.path)) << c.text;
    }
}
