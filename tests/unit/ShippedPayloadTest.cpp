// The product's payload as the native build packed it, read back with the installer's own
// reader: every StringId the sources ask for resolves in both interface languages, the layout
// items are the built libraries, the patterns are the derived ones, the documents and licences
// are what they should be, and the script and message formats give sound texts with the
// arguments their callers pass.
#include "payload/Guard.h"
#include "payload/PayloadItems.h"
#include "payload/StringTable.h"
#include "text/GString.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Decoded
{
    std::string bytes;
    bool ok = false;
    uint32_t extra = 0;
};

class ShippedPayload : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_guard = new CGuard;
        ASSERT_EQ(s_guard->Load(KeyBlock, (int)KeyBlockLength), 1);
        const PayloadItem* items[4] = {&LangStringsItems[0], &LangStringsItems[1], &BaseStringsItem,
                                       &InstallStringsItem};
        for (int i = 0; i < 4; ++i)
        {
            s_tables[i] = new StringTable;
            uint32_t size = items[i]->storedSize, count = 0;
            uint8_t* buffer = s_guard->ReadItem(items[i]->data, size, &count);
            ASSERT_NE(buffer, nullptr) << "string table " << i;
            if (!s_tables[i]->Init(buffer, (int)count, size))
            {
                free(buffer);
                FAIL() << "string table " << i << " refused";
            }
        }
    }

    static void TearDownTestSuite()
    {
        for (StringTable*& t : s_tables)
        {
            delete t;
            t = nullptr;
        }
        delete s_guard;
        s_guard = nullptr;
    }

    static Decoded Read(const PayloadItem& item)
    {
        Decoded d;
        uint32_t size = item.storedSize;
        uint8_t* buffer = item.data ? s_guard->ReadItem(item.data, size, &d.extra) : nullptr;
        if (buffer)
        {
            d.bytes.assign((const char*)buffer, size);
            d.ok = true;
            free(buffer);
        }
        return d;
    }

    // The installer's lookup: the language's table, then the base table, then its own.
    static const void* Lookup(int language, StringId id)
    {
        const StringTable* order[3] = {s_tables[language], s_tables[2], s_tables[3]};
        for (const StringTable* t : order)
            if (const void* record = t->Find(id))
                return record;
        return nullptr;
    }

    static bool Text(int language, StringId id, GString& out)
    {
        const void* record = Lookup(language, id);
        return record && out.AssignCounted(record) && out.GetWide();
    }

    static std::string Utf8(int language, StringId id)
    {
        GString s;
        if (!Text(language, id, s))
            return "";
        const char* narrow = s.GetNarrow();
        return narrow ? narrow : "";
    }

    static CGuard* s_guard;
    static StringTable* s_tables[4];
};

CGuard* ShippedPayload::s_guard = nullptr;
StringTable* ShippedPayload::s_tables[4] = {};

std::u16string U16(const char* ascii)
{
    std::u16string s;
    while (*ascii)
        s += (char16_t)*ascii++;
    return s;
}

std::string FormatUtf8(GString& format, ...)
{
    GString out;
    va_list args;
    va_start(args, format);
    out.Reset(true);
    int ok = out.AppendFormatV(format.GetWide(), args);
    va_end(args);
    const char* narrow = out.GetNarrow();
    return ok && narrow ? narrow : "{format failed}";
}
}

TEST_F(ShippedPayload, EveryStringIdTheProgramAsksForResolvesInBothLanguages)
{
    std::istringstream list(ReadFile(STRING_ID_LIST));
    std::string line;
    int ids = 0;
    while (std::getline(list, line))
    {
        std::istringstream fields(line);
        unsigned long id;
        std::string where;
        fields >> id >> where;
        ++ids;
        for (int language = 0; language < 2; ++language)
        {
            EXPECT_NE(Lookup(language, (StringId)id), nullptr)
                << "string " << id << " (asked for at " << where << ") is missing in language "
                << language;
        }
    }
    EXPECT_GT(ids, 0) << "the scan of the sources found no StringId at all";
}

TEST_F(ShippedPayload, InterfaceTextsExistInBothLanguagesOrInNeither)
{
    // A text of one interface language must not fall back to the other language's words
    // through the base table: an id is in both language tables or in neither.
    for (StringId id = 0; id < 400; ++id)
    {
        bool in0 = s_tables[0]->Find(id) != nullptr;
        bool in1 = s_tables[1]->Find(id) != nullptr;
        EXPECT_EQ(in0, in1) << "string " << id;
    }
}

TEST_F(ShippedPayload, BaseTableCarriesTheDerivedPatterns)
{
    std::istringstream patterns(ReadFile(LAYOUT_PATTERNS));
    std::string line;
    int count = 0;
    while (std::getline(patterns, line))
    {
        size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos);
        StringId id = (StringId)std::stoul(line.substr(0, tab));
        EXPECT_EQ(Utf8(0, id), line.substr(tab + 1)) << "string " << id;
        EXPECT_NE(s_tables[2]->Find(id), nullptr) << "string " << id << " is not in the base table";
        ++count;
    }
    EXPECT_EQ(count, 6);
}

TEST_F(ShippedPayload, LayoutItemsAreTheBuiltLibraries)
{
    std::istringstream builds(ReadFile(LAYOUT_BUILD_LIST));
    std::string line;
    bool filled[kLibrarySets][kLayoutVariants][kPlatformSlots] = {};
    int count = 0;
    while (std::getline(builds, line))
    {
        std::istringstream fields(line);
        std::string path;
        int set, variant, slot;
        std::getline(fields, path, '\t');
        fields >> set >> variant >> slot;
        ASSERT_TRUE(fields) << line;
        Decoded d = Read(LayoutLibraryItems[set][variant][slot]);
        ASSERT_TRUE(d.ok) << line;
        EXPECT_EQ(d.bytes, ReadFile(path)) << line;
        filled[set][variant][slot] = true;
        ++count;
    }
    EXPECT_EQ(count, 60);
    for (int s = 0; s < kLibrarySets; ++s)
        for (int v = 0; v < kLayoutVariants; ++v)
            for (int slot = 0; slot < kPlatformSlots; ++slot)
            {
                if (filled[s][v][slot])
                    continue;
                EXPECT_EQ(LayoutLibraryItems[s][v][slot].data, nullptr) << s << v << slot;
            }
}

TEST_F(ShippedPayload, DocumentsAreTheGuideTheChartAndTheKeyList)
{
    const struct
    {
        const PayloadItem* item;
        std::string path;
    } files[] = {
        {&FileAItem, std::string(REPO_ROOT_DIR) + "/payload/docs/guide.html"},
        {&FileBItem, std::string(LAYOUT_DIR) + "/chart.html"},
        {&FileDItem, std::string(LAYOUT_DIR) + "/keys.txt"},
    };
    for (const auto& f : files)
    {
        Decoded d = Read(*f.item);
        ASSERT_TRUE(d.ok) << f.path;
        EXPECT_EQ(d.bytes, ReadFile(f.path)) << f.path;
        EXPECT_GT(d.bytes.size(), 1000u) << f.path;
    }
}

TEST_F(ShippedPayload, LicencesBreakLinesAsTheEditControlNeeds)
{
    for (int language = 0; language < 2; ++language)
    {
        Decoded d = Read(LicenceTextItems[language]);
        ASSERT_TRUE(d.ok);
        EXPECT_NE(d.bytes.find("MIT"), std::string::npos);
        for (size_t i = 0; i < d.bytes.size(); ++i)
        {
            if (d.bytes[i] != '\n')
                continue;
            ASSERT_TRUE(i > 0 && d.bytes[i - 1] == '\r') << "bare line feed at " << i;
        }
        GString text;
        EXPECT_TRUE(text.AssignUtf8(d.bytes.data(), (int)d.bytes.size()) && text.GetWide())
            << "licence " << language << " is not UTF-8";
    }
}

TEST_F(ShippedPayload, ScriptsAreTheRegionalSettingsFilesTheyShouldBe)
{
    const std::u16string klid = U16("a4b20415");
    const std::u16string message = U16(" Default=\"true\"");
    const std::u16string empty;
    GString f62, f63, f66, f65, f64, f90, f85, f49;
    ASSERT_TRUE(Text(0, 62, f62) && Text(0, 63, f63) && Text(0, 66, f66) && Text(0, 65, f65));
    ASSERT_TRUE(Text(0, 64, f64) && Text(0, 90, f90) && Text(0, 85, f85) && Text(0, 49, f49));
    EXPECT_EQ(std::string(f85.GetNarrow()), "a4b20415");
    EXPECT_EQ(std::string(f64.GetNarrow()), " Default=\"true\"");

    // Added as the default input method, and only added.
    const char* add = "<gs:InputLanguageID Action=\"add\" ID=\"0415:a4b20415\" Default=\"true\"/>";
    const char* addOnly = "<gs:InputLanguageID Action=\"add\" ID=\"0407:a4b20415\"/>";
    std::string withDefault = FormatUtf8(f62, 0x0415, klid.c_str(), message.c_str());
    std::string plain = FormatUtf8(f62, 0x0407, klid.c_str(), empty.c_str());
    std::string eight = FormatUtf8(f63, f90.GetWide(), 0x0415, klid.c_str(), message.c_str(), 0x0415, 0x0415);
    EXPECT_NE(withDefault.find(add), std::string::npos) << withDefault;
    EXPECT_NE(plain.find(addOnly), std::string::npos) << plain;
    EXPECT_NE(eight.find(add), std::string::npos) << eight;
    EXPECT_NE(eight.find("UserID=\"Current\""), std::string::npos) << eight;
    std::string undo = FormatUtf8(f66, empty.c_str());
    EXPECT_NE(undo.find("Action=\"remove\" ID=\"0415:a4b20415\""), std::string::npos) << undo;
    for (const std::string* xml : {&withDefault, &plain, &eight, &undo})
    {
        EXPECT_EQ(xml->find("<?xml"), 0u);
        EXPECT_NE(xml->find("xmlns:gs=\"urn:longhornGlobalizationUnattend\""), std::string::npos);
        EXPECT_NE(xml->find("</gs:GlobalizationServices>"), std::string::npos);
        EXPECT_EQ(xml->find('%'), std::string::npos) << "a directive was left over";
    }
    std::string old = FormatUtf8(f65, empty.c_str(), empty.c_str());
    EXPECT_NE(old.find("[RegionalSettings]"), std::string::npos);
    EXPECT_EQ(old.find('%'), std::string::npos);
    std::u16string path = U16("C:\\Temp\\klw1.tmp");
    EXPECT_EQ(FormatUtf8(f49, path.c_str()), "control.exe intl.cpl,,/f:\"C:\\Temp\\klw1.tmp\"");
}

TEST_F(ShippedPayload, FormatsTakeTheArgumentsTheirCallersPass)
{
    // One text argument: string 81 (48, 97, 101, 134, 141), the name "language - layout" (102),
    // string 0 (129).
    const StringId oneText[] = {48, 97, 101, 102, 129, 134, 141};
    std::u16string name = U16("Klawik");
    for (int language = 0; language < 2; ++language)
        for (StringId id : oneText)
        {
            GString f;
            ASSERT_TRUE(Text(language, id, f)) << id;
            std::string out = FormatUtf8(f, name.c_str());
            EXPECT_NE(out.find("Klawik"), std::string::npos) << id << ": " << out;
            EXPECT_EQ(out.find('%'), std::string::npos) << id << ": " << out;
        }
    // The shortcut title brings the backslash that joins it to the menu folder.
    GString title;
    ASSERT_TRUE(Text(0, 48, title));
    EXPECT_EQ(FormatUtf8(title, name.c_str())[0], '\\');
    // The previous layout: language id and layout name.
    GString previous;
    ASSERT_TRUE(Text(0, 12, previous));
    std::u16string layout = U16("00000415");
    EXPECT_EQ(FormatUtf8(previous, 0x0415, layout.c_str()), "0415:00000415");
    // The text files: installation folder, then file D's name.
    std::u16string dir = U16("C:\\Program Files\\Klawik\\Keyboard Layout");
    GString fileD;
    ASSERT_TRUE(Text(0, 80, fileD));
    for (int language = 0; language < 2; ++language)
    {
        GString notes;
        ASSERT_TRUE(Text(language, 69, notes));
        std::string out = FormatUtf8(notes, dir.c_str(), fileD.GetWide());
        EXPECT_NE(out.find("C:\\Program Files\\Klawik\\Keyboard Layout\\Klawik keys.txt"), std::string::npos)
            << out;
    }
    // Opening the document: the program, then the document.
    GString open;
    ASSERT_TRUE(Text(0, 2, open));
    std::u16string program = U16("C:\\Browser\\browser.exe"), document = U16("https://x/");
    EXPECT_EQ(FormatUtf8(open, program.c_str(), document.c_str()), "\"C:\\Browser\\browser.exe\" \"https://x/\"");
}

TEST_F(ShippedPayload, DefaultVariantIsFoundByItsNeedle)
{
    // The needle (88) is searched in the variant texts (113 to 115) of language 0.
    std::string needle = Utf8(0, 88);
    ASSERT_FALSE(needle.empty());
    int chosen = -1;
    for (int v = 0; v < 3 && chosen < 0; ++v)
        if (Utf8(0, 113 + v).find(needle) != std::string::npos)
            chosen = v;
    EXPECT_EQ(chosen, 1);
}
