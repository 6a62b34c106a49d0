// Helpers for the format engine's tables: an argument list built at run time (each row names
// its arguments and their types) is turned into a real variadic call, so every row goes
// through GString::Format exactly as production code calls it.
#pragma once

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

#include "text/GString.h"

namespace formattest {

typedef std::basic_string<WChar> WText;

struct Arg {
    enum Kind { kNone, kInt, kInt64, kDouble, kPointer };
    Kind kind;
    int i;
    long long l;
    double d;
    const void* p;
};

inline Arg I(int v) { return Arg{Arg::kInt, v, 0, 0, nullptr}; }
inline Arg L(long long v) { return Arg{Arg::kInt64, 0, v, 0, nullptr}; }
inline Arg D(double v) { return Arg{Arg::kDouble, 0, 0, v, nullptr}; }
inline Arg P(const void* v) { return Arg{Arg::kPointer, 0, 0, 0, v}; }
inline Arg P(uintptr_t v) { return Arg{Arg::kPointer, 0, 0, 0, (const void*)v}; }
const Arg kNoArg = {Arg::kNone, 0, 0, 0, nullptr};

// Calls Format with the arguments a[0..n) passed with their own types.
template <class... T>
int FormatWith(GString& out, const WChar* directives, const Arg* a, int n, T... done)
{
    if constexpr (sizeof...(T) >= 4) {
        return GString::Format(out, directives, done...);
    } else {
        if (n == 0 || a->kind == Arg::kNone)
            return GString::Format(out, directives, done...);
        switch (a->kind) {
        case Arg::kInt:
            return FormatWith(out, directives, a + 1, n - 1, done..., a->i);
        case Arg::kInt64:
            return FormatWith(out, directives, a + 1, n - 1, done..., a->l);
        case Arg::kDouble:
            return FormatWith(out, directives, a + 1, n - 1, done..., a->d);
        default:
            return FormatWith(out, directives, a + 1, n - 1, done..., a->p);
        }
    }
}

// AppendFormatV with a real va_list.
inline int AppendFormat(GString& out, const WChar* directives, ...)
{
    va_list args;
    va_start(args, directives);
    int result = out.AppendFormatV(directives, args);
    va_end(args);
    return result;
}

// UTF-8 (one to three bytes per unit) to UTF-16, written here so that expectations do not
// depend on the conversions under test.
inline WText FromUtf8(const char* s, int len = -1)
{
    if (len < 0)
        len = (int)strlen(s);
    WText out;
    for (int i = 0; i < len;) {
        unsigned char b = (unsigned char)s[i];
        if (b < 0x80) {
            out += (WChar)b;
            i += 1;
        } else if (b < 0xE0) {
            out += (WChar)((b & 0x1F) << 6 | (s[i + 1] & 0x3F));
            i += 2;
        } else {
            out += (WChar)((b & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F));
            i += 3;
        }
    }
    return out;
}

// Readable form of a result for failure messages: ASCII as is, other units as \uXXXX.
inline std::string Show(const WText& w)
{
    std::string s;
    for (WChar c : w) {
        if (c >= 0x20 && c < 0x7F) {
            s += (char)c;
        } else {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04X", (unsigned)(uint16_t)c);
            s += buf;
        }
    }
    return s;
}

inline WText Text(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

inline WText W(const WChar* s)
{
    return WText(s);
}

// The character after the text is the terminator.
inline bool Terminated(const GString& s)
{
    return s.GetLength() == 0 || s.WideAt(0)[s.GetLength()] == 0;
}

// One row: a directive string, up to four arguments, the expected result and text (UTF-8;
// expectedBytes for texts with a 0 inside).
struct Case {
    const WChar* directives;
    Arg args[4];
    int ok;
    const char* expected;
    int expectedBytes = 0;
};

inline void RunCases(const Case* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const Case& c = cases[i];
        GString out;
        int ok = FormatWith(out, c.directives, c.args, 4);
        WText expected = FromUtf8(c.expected, c.expectedBytes ? c.expectedBytes : -1);
        EXPECT_EQ(c.ok, ok) << "row " << i << ": " << Show(W(c.directives));
        EXPECT_EQ(Show(expected), Show(Text(out))) << "row " << i << ": " << Show(W(c.directives));
        EXPECT_TRUE(out.IsWide()) << "row " << i;
        EXPECT_TRUE(Terminated(out)) << "row " << i;
    }
}

} // namespace formattest
