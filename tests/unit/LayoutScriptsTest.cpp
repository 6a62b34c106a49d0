// The input-language scripts' texts: which format applies on which system, and which argument
// goes where.
#include "engine/LayoutScripts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// UTF-16 text of an ASCII string, and back.
std::u16string W(const char* s)
{
    std::u16string w;
    while (*s)
        w += (char16_t)(unsigned char)*s++;
    return w;
}

std::string A(const GString& s)
{
    std::string a;
    for (int i = 0; i < s.GetLength(); ++i)
        a += (char)s.WideAt(0)[i];
    return a;
}

} // namespace

TEST(LayoutScripts, FormatChoice)
{
    const struct {
        int os;
        int userLength;
        StringId language, undo;
    } cases[] = {
        {50, 7, 0, 65}, {51, 7, 0, 65}, {52, 7, 0, 65},  {59, 7, 0, 65},
        {60, 7, 62, 66}, {61, 7, 62, 66}, {62, 7, 63, 66}, {62, 0, 62, 66},
        {63, 7, 63, 66}, {100, 7, 63, 66}, {100, 0, 62, 66},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.language, LanguageScriptFormat(c.os, c.userLength)) << c.os << " " << c.userLength;
        EXPECT_EQ(c.undo, UndoScriptFormat(c.os)) << c.os;
    }
}

TEST(LayoutScripts, LanguageScriptArguments)
{
    const std::u16string plain = W("P[%04x|%s|%s]");
    const std::u16string withUser = W("U[%s|%04X|%s|%s|%04x|%u]");
    const struct {
        int os;
        const char* user;
        const char* message;
        uint16_t lang;
        int ok;
        const char* expected;
    } cases[] = {
        {60, "Current", "", 0x0415, 1, "P[0415|a4b20415|]"},
        {61, "Current", " Default", 0x0409, 1, "P[0409|a4b20415| Default]"},
        {62, "Current", " Default", 0x041B, 1, "U[Current|041B|a4b20415| Default|041b|1051]"},
        {100, "", " Default", 0x0415, 1, "P[0415|a4b20415| Default]"},
        {100, "Me", "", 0xFFFF, 1, "U[Me|FFFF|a4b20415||ffff|65535]"},
        {52, "Current", "", 0x0415, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.os);
        std::u16string user = W(c.user), message = W(c.message), key = W("a4b20415");
        LanguageScriptTexts texts = {(const WChar*)plain.c_str(), (const WChar*)withUser.c_str(),
                                     (const WChar*)user.c_str(), (const WChar*)key.c_str(),
                                     (const WChar*)message.c_str()};
        GString out;
        out.AssignUtf8("left over");
        EXPECT_EQ(c.ok, ComposeLanguageScript(out, texts, c.os, c.lang));
        EXPECT_EQ(c.expected, A(out));
    }
    // A missing format or argument text gives no script.
    std::u16string key = W("k"), empty;
    LanguageScriptTexts noKey = {(const WChar*)plain.c_str(), (const WChar*)withUser.c_str(),
                                 nullptr, nullptr, (const WChar*)empty.c_str()};
    GString out;
    EXPECT_EQ(0, ComposeLanguageScript(out, noKey, 100, 0x0415));
    LanguageScriptTexts noFormat = {nullptr, nullptr, nullptr, (const WChar*)key.c_str(),
                                    (const WChar*)empty.c_str()};
    EXPECT_EQ(0, ComposeLanguageScript(out, noFormat, 100, 0x0415));
}

TEST(LayoutScripts, UndoScriptArguments)
{
    const std::u16string before = W("B[%s|%s]"), from = W("F[%s]");
    const struct {
        int os;
        const char* expected;
    } cases[] = {{50, "B[|]"}, {52, "B[|]"}, {60, "F[]"}, {100, "F[]"}};
    for (const auto& c : cases) {
        GString out;
        EXPECT_EQ(1, ComposeUndoScript(out, (const WChar*)before.c_str(),
                                       (const WChar*)from.c_str(), c.os));
        EXPECT_EQ(c.expected, A(out)) << c.os;
    }
    GString out;
    EXPECT_EQ(0, ComposeUndoScript(out, nullptr, (const WChar*)from.c_str(), 51));
    EXPECT_EQ(0, ComposeUndoScript(out, (const WChar*)before.c_str(), nullptr, 61));
}
