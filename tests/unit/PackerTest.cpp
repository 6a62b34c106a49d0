#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <set>

#include "Catalogue.h"
#include "ItemBuilder.h"
#include "KeyBlockMaker.h"
#include "Manifest.h"
#include "PayloadImage.h"
#include "PayloadTestUtil.h"
#include "StringSource.h"
#include "StringTableBuilder.h"
#include "payload/Guard.h"
#include "payload/StringTable.h"
#include "text/GString.h"

namespace {

std::string TextOf(const StringTable& t, uint32_t id)
{
    const void* record = t.Find(id);
    if (!record)
        return "<missing>";
    GString s;
    s.AssignCounted(record);
    GString narrow;
    narrow.AssignAsNarrow(&s);
    return std::string(narrow.NarrowAt(0), (size_t)narrow.GetLength());
}

bool IsWideRecord(const StringTable& t, uint32_t id)
{
    const uint8_t* r = (const uint8_t*)t.Find(id);
    return r && (r[3] & 0x80) == 0;
}

} // namespace

TEST(Packer, StringSourceReadsEntriesEscapesAndEncodings)
{
    const std::string source =
        "\xEF\xBB\xBF# a comment\r\n"
        "10\tplain text\r\n"
        "\n"
        "11\tline\\nbreak, tab\\there, back\\\\slash, cr\\r\n"
        "12\t\n"
        "13\ttabs\tkept as they are\n"
        "#encoding utf-16\n"
        "20\tZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\n"
        "#encoding utf-8\n"
        "4294967295\tlast\n";
    CStringTableBuilder b;
    std::string error;
    ASSERT_TRUE(ParseStringSource(source, "base.txt", b, error)) << error;
    EXPECT_EQ(b.Count(), 6);
    uint32_t length = 0;
    uint8_t* buffer = b.BuildBuffer(length);
    StringTable t;
    ASSERT_TRUE(t.Init(buffer, b.Count(), length));
    EXPECT_EQ(TextOf(t, 10), "plain text");
    EXPECT_EQ(TextOf(t, 11), "line\nbreak, tab\there, back\\slash, cr\r");
    EXPECT_EQ(TextOf(t, 12), "");
    EXPECT_EQ(TextOf(t, 13), "tabs\tkept as they are");
    EXPECT_EQ(TextOf(t, 20), "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87");
    EXPECT_EQ(TextOf(t, 4294967295u), "last");
    EXPECT_TRUE(IsWideRecord(t, 20));
    EXPECT_FALSE(IsWideRecord(t, 10));
    EXPECT_FALSE(IsWideRecord(t, 4294967295u));
}

// Bad input names the source and the line.
TEST(Packer, StringSourceErrorsNameFileAndLine)
{
    struct Case
    {
        const char* source;
        const char* error;
    };
    const Case cases[] = {
        {"1\tone\n2 two\n", "lang0.txt:2: no tab between id and text"},
        {"1\tone\nx\ttwo\n", "lang0.txt:2: bad id 'x'"},
        {"\t\n", "lang0.txt:1: bad id ''"},
        {"4294967296\tbig\n", "lang0.txt:1: bad id '4294967296'"},
        {"-1\tnegative\n", "lang0.txt:1: bad id '-1'"},
        {"# c\n1\tone\n\n2\tbad \\q escape\n", "lang0.txt:4: bad escape \\q"},
        {"1\tends in \\\n", "lang0.txt:1: bad escape \\ at the end of the line"},
        {"5\tfive\n6\tsix\n5\tagain\n", "lang0.txt:3: duplicate id 5 (first on line 1)"},
        {"1\tbad \xC3\x28 byte\n", "lang0.txt:1: text is not valid UTF-8"},
        {"1\tsurrogate \xED\xA0\x80\n", "lang0.txt:1: text is not valid UTF-8"},
        {"#encoding latin-1\n", "lang0.txt:1: unknown encoding 'latin-1'"},
    };
    for (const Case& c : cases) {
        CStringTableBuilder b;
        std::string error;
        EXPECT_FALSE(ParseStringSource(c.source, "lang0.txt", b, error)) << c.source;
        EXPECT_EQ(error.compare(0, strlen(c.error), c.error), 0) << "got: " << error;
    }
}

TEST(Packer, ManifestMapsItemsToSources)
{
    const std::string manifest =
        "# comment\n"
        "BaseStringsItem   strings  strings/base.txt\n"
        "LangStringsItems1\tstrings\tstrings/lang 1.txt  \n"
        "LayoutLibraryItems_1_2_12  file  ${LIBS}/x64/lib.dll\n"
        "FileAItem file /abs/doc.bin\n"
        "BaseStringsItem strings ${LIBS}/patterns.txt\n";
    std::map<std::string, std::string> defines = {{"LIBS", "/build/layout"}};
    std::vector<ManifestEntry> entries;
    std::string error;
    ASSERT_TRUE(ParseManifest(manifest, "manifest.txt", "/src/payload", defines, entries, error)) << error;
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].index, CatalogueIndex("BaseStringsItem"));
    EXPECT_TRUE(entries[0].strings);
    EXPECT_EQ(entries[0].path, "/src/payload/strings/base.txt");
    EXPECT_EQ(entries[1].path, "/src/payload/strings/lang 1.txt");
    EXPECT_EQ(entries[1].line, 3);
    EXPECT_EQ(entries[2].index, LayoutLibraryIndex(1, 2, 12));
    EXPECT_FALSE(entries[2].strings);
    EXPECT_EQ(entries[2].path, "/build/layout/x64/lib.dll");
    EXPECT_EQ(entries[3].path, "/abs/doc.bin");
    // A string table may gather a second source.
    EXPECT_EQ(entries[4].index, CatalogueIndex("BaseStringsItem"));
    EXPECT_EQ(entries[4].path, "/build/layout/patterns.txt");
}

TEST(Packer, ManifestErrorsNameFileAndLine)
{
    struct Case
    {
        const char* manifest;
        const char* error;
    };
    const Case cases[] = {
        {"BaseStrings strings a.txt\n", "m.txt:1: unknown item 'BaseStrings'"},
        {"LayoutLibraryItems_2_0_0 file a.dll\n", "m.txt:1: unknown item 'LayoutLibraryItems_2_0_0'"},
        {"LayoutLibraryItems_0_0_13 file a.dll\n", "m.txt:1: unknown item 'LayoutLibraryItems_0_0_13'"},
        {"\nFileAItem text a.bin\n", "m.txt:2: unknown kind 'text'"},
        {"FileAItem file\n", "m.txt:1: no source path for FileAItem"},
        {"FileAItem file a\nFileBItem file b\nFileAItem file c\n", "m.txt:3: item FileAItem listed twice (first on line 1)"},
        {"BaseStringsItem strings a\nBaseStringsItem file b\n", "m.txt:2: item BaseStringsItem listed twice (first on line 1)"},
        {"FileAItem file ${NOPE}/a\n", "m.txt:1: ${NOPE} is not defined"},
        {"FileAItem file ${OPEN\n", "m.txt:1: unterminated ${"},
    };
    for (const Case& c : cases) {
        std::vector<ManifestEntry> entries;
        std::string error;
        EXPECT_FALSE(ParseManifest(c.manifest, "m.txt", "", {}, entries, error)) << c.manifest;
        EXPECT_EQ(error.compare(0, strlen(c.error), c.error), 0) << "got: " << error;
    }
}

TEST(Packer, CatalogueNamesEveryItemOnce)
{
    std::set<std::string> names;
    for (int i = 0; i < kCatalogueItems; ++i) {
        std::string name = CatalogueName(i);
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(CatalogueIndex(name), i) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), (size_t)kCatalogueItems);
    EXPECT_EQ(CatalogueName(LayoutLibraryIndex(1, 2, 12)), "LayoutLibraryItems_1_2_12");
    EXPECT_EQ(CatalogueSymbol(LayoutLibraryIndex(0, 1, 4)), "LayoutLibraryItems[0][1][4]");
    EXPECT_EQ(CatalogueSymbol(CatalogueIndex("LangStringsItems0")), "LangStringsItems[0]");
    EXPECT_EQ(CatalogueIndex("NoSuchItem"), -1);
}

// The blob is found inside a larger file, wherever it lies, and identical items are stored once.
TEST(Packer, PayloadImageIsFoundInsideAnImage)
{
    CByteSource random(7);
    std::vector<uint8_t> block, key;
    std::string error;
    ASSERT_TRUE(MakeKeyBlock(random, block, key, error)) << error;
    CPayloadImage image;
    image.SetKeyBlock(block);
    std::vector<uint8_t> library = RandomBytes(7000, 1);
    std::vector<uint8_t> stored = BuildItem(key.data(), (int)key.size(), library.data(), library.size(), 0);
    image.SetItem(LayoutLibraryIndex(0, 0, 0), stored);
    image.SetItem(LayoutLibraryIndex(1, 0, 0), stored);
    std::vector<uint8_t> text = ProseBytes(3000, 2);
    image.SetItem(CatalogueIndex("FileDItem"), BuildItem(key.data(), (int)key.size(), text.data(), text.size(), 0));
    EXPECT_EQ(image.ItemCount(), 3);
    EXPECT_EQ(image.StoredCount(), 2);

    std::vector<long> offsets;
    std::vector<uint8_t> blob = image.Blob(&offsets);
    EXPECT_EQ(offsets[(size_t)LayoutLibraryIndex(0, 0, 0)], offsets[(size_t)LayoutLibraryIndex(1, 0, 0)]);
    EXPECT_LT(blob.size(), 2 * stored.size());

    // Code before, the key block somewhere after, more bytes at the end.
    std::vector<uint8_t> file = RandomBytes(5001, 3);
    size_t blobAt = file.size();
    file.insert(file.end(), blob.begin(), blob.end());
    std::vector<uint8_t> gap = RandomBytes(333, 4);
    file.insert(file.end(), gap.begin(), gap.end());
    size_t keyAt = file.size();
    file.insert(file.end(), block.begin(), block.end());
    file.resize(file.size() + 100, 0);

    LocatedPayload found;
    ASSERT_TRUE(LocatePayload(file, found, error)) << error;
    EXPECT_EQ(found.blobOffset, blobAt);
    EXPECT_EQ(found.keyOffset, keyAt);
    EXPECT_EQ(found.keyBlock, block);
    ASSERT_EQ(found.items.size(), 3u);
    CGuard guard;
    ASSERT_TRUE(guard.Load(found.keyBlock.data(), (int)found.keyBlock.size()));
    for (const LocatedItem& item : found.items) {
        uint32_t size = item.storedSize;
        uint8_t* content = guard.ReadItem(file.data() + item.offset, size, nullptr);
        ASSERT_NE(content, nullptr) << CatalogueName(item.index);
        const std::vector<uint8_t>& expected = item.index == CatalogueIndex("FileDItem") ? text : library;
        EXPECT_EQ(std::vector<uint8_t>(content, content + size), expected);
        free(content);
    }

    // Without the key block, or with a directory of another version, nothing is found.
    std::vector<uint8_t> noKey(file.begin(), file.begin() + (long)keyAt);
    EXPECT_FALSE(LocatePayload(noKey, found, error));
    std::vector<uint8_t> otherVersion = file;
    otherVersion[blobAt + 16] = 2;
    EXPECT_FALSE(LocatePayload(otherVersion, found, error));
}

// The generated source defines every item, absent ones as null.
TEST(Packer, SourceDefinesEveryItem)
{
    CByteSource random(9);
    std::vector<uint8_t> block, key;
    std::string error;
    ASSERT_TRUE(MakeKeyBlock(random, block, key, error)) << error;
    CPayloadImage image;
    image.SetKeyBlock(block);
    image.SetItem(0, BuildItem(key.data(), (int)key.size(), (const uint8_t*)"abc", 3, 0));
    image.SetItem(LayoutLibraryIndex(1, 2, 12), BuildItem(key.data(), (int)key.size(), (const uint8_t*)"d", 1, 0));
    std::string source = image.Source("test");
    const char* expected[] = {
        "const uint8_t KeyBlock[968] = {",
        "const uint32_t KeyBlockLength = 968;",
        "const PayloadItem BaseStringsItem = {PayloadBlob + ",
        "const PayloadItem InstallStringsItem = {nullptr, 0};",
        "const PayloadItem LangStringsItems[2] = {{nullptr, 0}, {nullptr, 0}};",
        "const PayloadItem LayoutLibraryItems[kLibrarySets][kLayoutVariants][kPlatformSlots] = {",
    };
    for (const char* e : expected)
        EXPECT_NE(source.find(e), std::string::npos) << e;
    // The last slot of the last variant of the last set is the only other present item.
    size_t last = source.rfind("{PayloadBlob + ");
    size_t table = source.find("LayoutLibraryItems[kLibrarySets]");
    EXPECT_GT(last, table);
    EXPECT_EQ(source.find("{nullptr, 0}", last), std::string::npos);
}
