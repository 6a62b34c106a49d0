// The scanner that finds the StringIds the sources ask for, on small made-up sources.
#include "StringScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace
{
std::set<unsigned long> Ids(const std::vector<SourceFile>& files)
{
    std::set<unsigned long> ids;
    for (const auto& entry : ScanStringIds(files))
        ids.insert(entry.first);
    return ids;
}
}

TEST(StringScan, FindsWhatTheSourcesAskFor)
{
    const struct
    {
        const char* source;
        std::set<unsigned long> expected;
    } cases[] = {
        // Literals at the StringId positions of declared functions, also through casts.
        {"bool GetString(StringId id, GString& out);\n"
         "void f() { GetString(86, m_scratch); x->GetString( 93 , t); GetString(m_id, t); }",
         {86, 93}},
        {"int Set(HKEY k, StringId name, StringId text);\n"
         "void f() { Set(HKEY_LOCAL_MACHINE, 17, 81); Set(k, 5, text); }",
         {17, 81, 5}},
        {"void Get(StringId id, G& out);\n"
         "void f() { Get((StringId)(113 + v), s); Get(static_cast<StringId>(147 + m), s); }",
         {113, 147}},
        // Numbers elsewhere are not ids: not a StringId position, comments, strings, hex.
        {"void Show(StringId text, unsigned type);\n"
         "void f() { Show(124, 48); Other(55); // Show(7, 0)\n"
         "const char* s = \"Show(8, 0)\"; Show(0x10, 0); }",
         {124}},
        // Tables: the text column of control texts, the value column of choices, key labels.
        {"const ControlTextEntry kTexts[] = {{300, 98}, {301, 100}, {0, 0}};\n"
         "const ChoiceEntry kChoices[] = {{113, 0}, {114, 1}, {0, 0}};\n"
         "const KeyMapEntry KeyMapTable[2] = {{0x0001, 0x001B, 175, 0}, {0, 0, 0, 0}};",
         {98, 100, 0, 113, 114, 175}},
        // Constants and enumerations whose constants are passed as StringIds.
        {"const StringId kTitle = 93; static const StringId kList[] = {91, 92};\n"
         "enum Texts { kA = 9, kB = 10, kC };\n"
         "enum Other { kX = 500 };\n"
         "void Fetch(StringId id, G& t);\n"
         "void f() { Fetch(kB, t); int n = kX; }",
         {93, 91, 92, 9, 10, 11}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ids({{"a.cpp", c.source}}), c.expected) << c.source;
}

TEST(StringScan, DeclarationsInOneFileServeCallsInAnother)
{
    std::vector<SourceFile> files = {
        {"Install.h", "class CInstall { int ShowMessage(StringId text, UINT type); };"},
        {"Run.cpp", "void Run() { ShowMessage(123, MB_OK); }"},
    };
    auto ids = ScanStringIds(files);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(ids.begin()->first, 123u);
    EXPECT_EQ(ids.begin()->second.path, "Run.cpp");
    EXPECT_EQ(ids.begin()->second.line, 1);
}

TEST(StringScan, BlankingKeepsLinesAndDropsCommentsAndLiterals)
{
    std::string text = "a(1); // b(2)\n/* c(3)\n */ \"d(4)\" 'x' e(5);";
    std::string blank = BlankCommentsAndLiterals(text);
    EXPECT_EQ(blank.size(), text.size());
    EXPECT_EQ(std::count(blank.begin(), blank.end(), '\n'), 2);
    EXPECT_EQ(blank.find("b(2)"), std::string::npos);
    EXPECT_EQ(blank.find("c(3)"), std::string::npos);
    EXPECT_EQ(blank.find("d(4)"), std::string::npos);
    EXPECT_NE(blank.find("a(1)"), std::string::npos);
    EXPECT_NE(blank.find("e(5)"), std::string::npos);
}
