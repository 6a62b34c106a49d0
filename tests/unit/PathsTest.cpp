// Composition of the installation paths from folders and texts, and the file name of a path.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/PathRules.h"

namespace {

typedef std::basic_string<WChar> WText;
typedef std::map<StringId, WText> Texts;

int Lookup(void* context, StringId id, GString& out)
{
    const Texts* texts = (const Texts*)context;
    out.Reset(true);
    auto it = texts->find(id);
    if (it == texts->end())
        return 0;
    return out.AppendW(it->second.c_str(), (int)it->second.size());
}

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

const Texts kTexts = {
    {9, WSTR("\\V")},  {10, WSTR("\\P")}, {22, WSTR("\\N")}, {23, WSTR("E")},
    {30, WSTR("\\B")}, {42, WSTR(".d")},  {43, WSTR(".l")},  {44, WSTR(".c")},
    {46, WSTR(".t")},  {70, WSTR("\\T")}, {71, WSTR("\\C")}, {80, WSTR("\\D")},
    // Texts the composition must not use.
    {48, WSTR("!48")}, {81, WSTR("!81")}, {21, WSTR("!21")}, {24, WSTR("!24")},
};

struct Paths
{
    GString s[16];
    InstallPathTargets Targets()
    {
        InstallPathTargets t = {&s[0], &s[1], &s[2],  &s[3],  &s[4],  &s[5],  &s[6],  &s[7],
                                &s[8], &s[9], &s[10], &s[11], &s[12], &s[13], &s[14], &s[15]};
        return t;
    }
};

const char* const kNames[16] = {
    "vendorDir", "installDir", "menuVendorDir", "menuDir", "fileA", "fileAMenuLink",
    "fileADesktopLink", "fileB", "fileBMenuLink", "fileBDesktopLink", "fileC", "fileCMenuLink",
    "fileCDesktopLink", "textMenuFile", "textDesktopFile", "fileD",
};

void ExpectPaths(Paths& paths, const WText (&want)[16], const char* what)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(paths.s[i].IsWide()) << what << ": " << kNames[i];
        EXPECT_TRUE(Wide(paths.s[i]) == want[i]) << what << ": " << kNames[i];
    }
}

} // namespace

TEST(Paths, ComposedFromFoldersAndTexts)
{
    Paths paths;
    // Earlier contents of every kind are replaced.
    for (int i = 0; i < 16; ++i)
        paths.s[i].AssignUtf8("old text");
    PathFolders folders = {WSTR("C:\\PF"), WSTR("C:\\PM"), WSTR("C:\\DT")};
    ASSERT_EQ(1, ComposeInstallPaths(folders, Lookup, (void*)&kTexts, paths.Targets()));
    const WText want[16] = {
        WSTR("C:\\PF\\V"),
        WSTR("C:\\PF\\V\\P"),
        WSTR("C:\\PM\\V"),
        WSTR("C:\\PM\\V\\P"),
        WSTR("C:\\PF\\V\\P\\N (E).d"),
        WSTR("C:\\PM\\V\\P\\N (E).l"),
        WSTR("C:\\DT\\N (E).l"),
        WSTR("C:\\PF\\V\\P\\B.d"),
        WSTR("C:\\PM\\V\\P\\B.l"),
        WSTR("C:\\DT\\B.l"),
        WSTR("C:\\PF\\V\\P\\C.c"),
        WSTR("C:\\PM\\V\\P\\C.l"),
        WSTR("C:\\DT\\C.l"),
        WSTR("C:\\PM\\V\\P\\T.t"),
        WSTR("C:\\DT\\T.t"),
        WSTR("C:\\PF\\V\\P\\D"),
    };
    ExpectPaths(paths, want, "all parts");
}

TEST(Paths, MissingPartsAreEmpty)
{
    struct Case {
        const char* what;
        StringId missing;       // 0: none
        bool noDesktop;
        WText want[16];
    } cases[] = {
        {"edition missing", 23, false,
         {WSTR("C:\\PF\\V"), WSTR("C:\\PF\\V\\P"), WSTR("C:\\PM\\V"), WSTR("C:\\PM\\V\\P"),
          WSTR("C:\\PF\\V\\P\\N ().d"), WSTR("C:\\PM\\V\\P\\N ().l"), WSTR("C:\\DT\\N ().l"),
          WSTR("C:\\PF\\V\\P\\B.d"), WSTR("C:\\PM\\V\\P\\B.l"), WSTR("C:\\DT\\B.l"),
          WSTR("C:\\PF\\V\\P\\C.c"), WSTR("C:\\PM\\V\\P\\C.l"), WSTR("C:\\DT\\C.l"),
          WSTR("C:\\PM\\V\\P\\T.t"), WSTR("C:\\DT\\T.t"), WSTR("C:\\PF\\V\\P\\D")}},
        {"vendor missing", 9, false,
         {WSTR("C:\\PF"), WSTR("C:\\PF\\P"), WSTR("C:\\PM"), WSTR("C:\\PM\\P"),
          WSTR("C:\\PF\\P\\N (E).d"), WSTR("C:\\PM\\P\\N (E).l"), WSTR("C:\\DT\\N (E).l"),
          WSTR("C:\\PF\\P\\B.d"), WSTR("C:\\PM\\P\\B.l"), WSTR("C:\\DT\\B.l"),
          WSTR("C:\\PF\\P\\C.c"), WSTR("C:\\PM\\P\\C.l"), WSTR("C:\\DT\\C.l"),
          WSTR("C:\\PM\\P\\T.t"), WSTR("C:\\DT\\T.t"), WSTR("C:\\PF\\P\\D")}},
        {"link suffix missing", 43, false,
         {WSTR("C:\\PF\\V"), WSTR("C:\\PF\\V\\P"), WSTR("C:\\PM\\V"), WSTR("C:\\PM\\V\\P"),
          WSTR("C:\\PF\\V\\P\\N (E).d"), WSTR("C:\\PM\\V\\P\\N (E)"), WSTR("C:\\DT\\N (E)"),
          WSTR("C:\\PF\\V\\P\\B.d"), WSTR("C:\\PM\\V\\P\\B"), WSTR("C:\\DT\\B"),
          WSTR("C:\\PF\\V\\P\\C.c"), WSTR("C:\\PM\\V\\P\\C"), WSTR("C:\\DT\\C"),
          WSTR("C:\\PM\\V\\P\\T.t"), WSTR("C:\\DT\\T.t"), WSTR("C:\\PF\\V\\P\\D")}},
        {"no desktop folder", 0, true,
         {WSTR("C:\\PF\\V"), WSTR("C:\\PF\\V\\P"), WSTR("C:\\PM\\V"), WSTR("C:\\PM\\V\\P"),
          WSTR("C:\\PF\\V\\P\\N (E).d"), WSTR("C:\\PM\\V\\P\\N (E).l"), WSTR("\\N (E).l"),
          WSTR("C:\\PF\\V\\P\\B.d"), WSTR("C:\\PM\\V\\P\\B.l"), WSTR("\\B.l"),
          WSTR("C:\\PF\\V\\P\\C.c"), WSTR("C:\\PM\\V\\P\\C.l"), WSTR("\\C.l"),
          WSTR("C:\\PM\\V\\P\\T.t"), WSTR("\\T.t"), WSTR("C:\\PF\\V\\P\\D")}},
    };
    for (const Case& c : cases) {
        Texts texts = kTexts;
        texts.erase(c.missing);
        Paths paths;
        PathFolders folders = {WSTR("C:\\PF"), WSTR("C:\\PM"), c.noDesktop ? WSTR("") : WSTR("C:\\DT")};
        ASSERT_EQ(1, ComposeInstallPaths(folders, Lookup, &texts, paths.Targets()));
        ExpectPaths(paths, c.want, c.what);
    }
}

TEST(Paths, NoTextsAtAll)
{
    Texts none;
    Paths paths;
    PathFolders folders = {nullptr, WSTR("M"), nullptr};
    ASSERT_EQ(1, ComposeInstallPaths(folders, Lookup, &none, paths.Targets()));
    EXPECT_TRUE(Wide(paths.s[0]).empty());
    EXPECT_TRUE(Wide(paths.s[3]) == WSTR("M"));
    EXPECT_TRUE(Wide(paths.s[4]) == WSTR(" ()"));
    EXPECT_TRUE(Wide(paths.s[15]).empty());
}

TEST(Paths, FileNameStart)
{
    struct Case {
        const WChar* path;
        int length;
        int start;
    } cases[] = {
        {WSTR("C:\\dir\\setup.exe"), -1, 7},
        {WSTR("setup.exe"), -1, 0},
        {WSTR("C:\\dir\\"), -1, 7},
        {WSTR("\\setup.exe"), -1, 1},
        {WSTR("a/b.exe"), -1, 0},
        {WSTR(""), -1, 0},
        {nullptr, -1, 0},
        {WSTR("a\\b\\c"), 3, 2},
        {WSTR("a\\b\\c"), 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.start, FileNameStart(c.path, c.length)) << c.start;
}

TEST(Paths, SelfPathsFromArgumentZero)
{
    Texts texts = kTexts;
    texts[48] = WSTR("\\Remove %s");
    texts[81] = WSTR("Product");
    struct Case {
        const char* what;
        const WChar* argv0;
        bool titleMissing;
        WText selfCopy, title, selfLink;
    } cases[] = {
        {"full path", WSTR("C:\\Downloads\\setup.exe"), false, WSTR("C:\\PF\\V\\P\\setup.exe"),
         WSTR("\\Remove Product"), WSTR("C:\\PM\\V\\P\\Remove Product.l")},
        {"relative path", WSTR("..\\x\\Setup 2.exe"), false, WSTR("C:\\PF\\V\\P\\Setup 2.exe"),
         WSTR("\\Remove Product"), WSTR("C:\\PM\\V\\P\\Remove Product.l")},
        {"no backslash", WSTR("setup.exe"), false, WSTR("C:\\PF\\V\\P\\setup.exe"),
         WSTR("\\Remove Product"), WSTR("C:\\PM\\V\\P\\Remove Product.l")},
        {"trailing backslash", WSTR("C:\\dir\\"), false, WSTR("C:\\PF\\V\\P"),
         WSTR("\\Remove Product"), WSTR("C:\\PM\\V\\P\\Remove Product.l")},
        {"empty", WSTR(""), false, WSTR("C:\\PF\\V\\P"), WSTR("\\Remove Product"),
         WSTR("C:\\PM\\V\\P\\Remove Product.l")},
        {"no title format", WSTR("setup.exe"), true, WSTR("C:\\PF\\V\\P\\setup.exe"), WSTR(""),
         WSTR("C:\\PM\\V\\P.l")},
    };
    // The installation folder ends without a backslash (the texts begin with theirs), so the
    // copy's file name is joined with one; a folder that ends in one gets no second.
    for (const Case& c : cases) {
        Texts t = texts;
        if (c.titleMissing)
            t.erase(48);
        GString installDir, menuDir;
        installDir.AssignUtf8("C:\\PF\\V\\P");   // narrow folders are taken as well
        menuDir.AssignWide(WSTR("C:\\PM\\V\\P"));
        GString self, title, copy, link;
        copy.AssignUtf8("old");
        SelfPathTargets targets = {&self, &title, &copy, &link};
        ASSERT_EQ(1, ComposeSelfPaths(c.argv0, installDir, menuDir, Lookup, &t, targets)) << c.what;
        EXPECT_TRUE(Wide(self) == WText(c.argv0)) << c.what;
        EXPECT_TRUE(Wide(copy) == c.selfCopy) << c.what;
        EXPECT_TRUE(Wide(title) == c.title) << c.what;
        EXPECT_TRUE(Wide(link) == c.selfLink) << c.what;
    }
}

TEST(Paths, SelfCopyGetsOneBackslash)
{
    struct Case {
        const char* installDir;
        const WChar* argv0;
        WText selfCopy;
    } cases[] = {
        {"C:\\Inst", WSTR("a\\setup.exe"), WSTR("C:\\Inst\\setup.exe")},
        {"C:\\Inst\\", WSTR("a\\setup.exe"), WSTR("C:\\Inst\\setup.exe")},
        {"C:\\Inst", WSTR("a\\"), WSTR("C:\\Inst")},
        {"", WSTR("setup.exe"), WSTR("setup.exe")},
    };
    for (const Case& c : cases) {
        GString installDir, menuDir, self, title, copy, link;
        installDir.AssignUtf8(c.installDir);
        SelfPathTargets targets = {&self, &title, &copy, &link};
        ASSERT_EQ(1, ComposeSelfPaths(c.argv0, installDir, menuDir, Lookup, (void*)&kTexts, targets));
        EXPECT_TRUE(Wide(copy) == c.selfCopy) << c.installDir;
    }
}
