// The uninstall sequence with the product's payload, against Wine's registry, file system and
// shell: the only installation, installations sharing the record and document A, the older
// version, and an uninstallation run from the installer's copy.
#include "SequenceFixture.h"

namespace {

class Uninstall : public CSequenceFixture
{
protected:
    // An installation made as a first one, then a new run that reads its record back.
    void InstallFirst()
    {
        CInstall first;
        ASSERT_TRUE(PrepareInstaller(first));
        ASSERT_EQ(1, first.Install());
    }

    // The recorded paths of the documents, links and text files, by the group they belong to.
    std::vector<WText> GuidePaths(CInstall& in)
    {
        return {WideOf(in.m_regFileA), WideOf(in.m_regFileAMenuLink),
                WideOf(in.m_regFileADesktopLink)};
    }
    std::vector<WText> CommonPaths(CInstall& in)
    {
        return {WideOf(in.m_regFileC),        WideOf(in.m_regFileCMenuLink),
                WideOf(in.m_regFileCDesktopLink), WideOf(in.m_regTextMenuFile),
                WideOf(in.m_regTextDesktopFile), WideOf(in.m_regFileB),
                WideOf(in.m_regFileBMenuLink), WideOf(in.m_regFileBDesktopLink),
                WideOf(in.m_regFileD)};
    }

    void ExpectLibrariesScheduled()
    {
        EXPECT_TRUE(IsPendingDelete(m_places.library32)) << Utf8Of(m_places.library32);
        EXPECT_TRUE(IsPendingDelete(m_places.libraryNative)) << Utf8Of(m_places.libraryNative);
    }
};

} // namespace

TEST_F(Uninstall, TheOnlyInstallation)
{
    InstallFirst();
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    ASSERT_EQ(190u, in.m_installedVersion);
    std::vector<WText> guide = GuidePaths(in), common = CommonPaths(in);
    WText copy = WideOf(in.m_regSelfCopy), link = WideOf(in.m_regSelfLink);
    ASSERT_TRUE(FileExists(copy));

    EXPECT_EQ(1, in.Uninstall());
    EXPECT_EQ(1u, in.m_uninstallDone);
    EXPECT_EQ(0u, in.m_installCount);
    EXPECT_EQ(0u, in.m_regSharedCount);
    for (const WText& path : guide)
        EXPECT_FALSE(FileExists(path)) << Utf8Of(path);
    for (const WText& path : common)
        EXPECT_FALSE(FileExists(path)) << Utf8Of(path);
    EXPECT_FALSE(FileExists(copy));
    EXPECT_FALSE(FileExists(link));
    ExpectLibrariesScheduled();
    // The menu folders are empty and gone; the installation folder still holds the patched
    // libraries waiting to be moved, so it goes at the restart, after them.
    EXPECT_FALSE(DirExists(WideOf(in.m_menuDir)));
    EXPECT_FALSE(DirExists(WideOf(in.m_menuVendorDir)));
    EXPECT_TRUE(DirExists(WideOf(in.m_installDir)));
    EXPECT_TRUE(IsPendingDelete(WideOf(in.m_installDir)));
    EXPECT_TRUE(IsPendingDelete(WideOf(in.m_vendorDir)));

    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.layoutPath, KEY_WOW64_64KEY));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.vendorPath, KEY_WOW64_32KEY))
        << "the whole record is gone";
    // What the installation set for the user stays.
    EXPECT_TRUE(ReadRegValue(HKEY_CURRENT_USER, m_places.togglePath, TextOf(in, 14), 0).Text() == L"3");

    CInstall after;
    ASSERT_TRUE(PrepareInstaller(after));
    EXPECT_EQ(0u, after.m_installedVersion);
}

// Another installation shares the record: its files stay and the count goes down by one.
TEST_F(Uninstall, AnotherInstallationSharesTheRecord)
{
    InstallFirst();
    ASSERT_TRUE(SetRecordNumber(0, 21, 2));
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    ASSERT_EQ(2u, in.m_installCount);
    std::vector<WText> guide = GuidePaths(in), common = CommonPaths(in);
    WText copy = WideOf(in.m_regSelfCopy);

    EXPECT_EQ(1, in.Uninstall());
    for (const WText& path : common) {
        EXPECT_TRUE(FileExists(path)) << Utf8Of(path);
    }
    for (const WText& path : guide)
        EXPECT_FALSE(FileExists(path)) << "document A's count was 1: " << Utf8Of(path);
    EXPECT_FALSE(FileExists(copy));
    ExpectLibrariesScheduled();
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.layoutPath, KEY_WOW64_64KEY));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.productPath, KEY_WOW64_32KEY));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.sharedPath, KEY_WOW64_32KEY));
    EXPECT_EQ(1u, RecordValue(0, 21).Number());
    EXPECT_TRUE(RecordValue(0, 72).Text() == common[0]) << "the record key keeps its paths";
    EXPECT_TRUE(DirExists(WideOf(in.m_installDir)));
    EXPECT_TRUE(DirExists(WideOf(in.m_menuDir))) << "links of the shared files are in it";
}

// Document A is used by another installation: it and its links stay, its count goes down.
TEST_F(Uninstall, DocumentSharedWithAnother)
{
    InstallFirst();
    ASSERT_TRUE(SetRecordNumber(1, 29, 2));
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    std::vector<WText> guide = GuidePaths(in), common = CommonPaths(in);

    EXPECT_EQ(1, in.Uninstall());
    for (const WText& path : guide)
        EXPECT_TRUE(FileExists(path)) << Utf8Of(path);
    for (const WText& path : common)
        EXPECT_FALSE(FileExists(path)) << Utf8Of(path);
    EXPECT_EQ(1u, RecordValue(1, 29).Number());
    EXPECT_TRUE(RecordValue(1, 25).Text() == guide[0]);
    EXPECT_EQ((DWORD)REG_NONE, RecordValue(0, 21).type) << "no installation counts on the record";
    EXPECT_EQ((DWORD)REG_NONE, RecordValue(0, 72).type);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.productPath, KEY_WOW64_32KEY));
    EXPECT_TRUE(DirExists(WideOf(in.m_menuDir))) << "document A's link is in it";
}

TEST_F(Uninstall, TheOlderVersion)
{
    MakeOlderInstallation();
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    ASSERT_EQ(130u, in.m_installedVersion);
    EXPECT_EQ(1, in.Uninstall());
    EXPECT_EQ(1u, in.m_uninstallDone);
    for (const WText& file : OlderFiles())
        EXPECT_FALSE(FileExists(file)) << Utf8Of(file);
    ExpectLibrariesScheduled();
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.layoutPath, KEY_WOW64_64KEY));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.vendorPath, KEY_WOW64_32KEY))
        << "no record is made";
}

// The installer's copy uninstalls: it cannot delete itself while it runs, so it goes at the
// next restart, and the installation folder with it.
TEST_F(Uninstall, FromTheInstallerCopy)
{
    WText dir = MakeTestDir(L"sequences");
    ASSERT_FALSE(dir.empty());
    WText out = dir + L"\\install.txt";
    ASSERT_EQ(0, RunAndWait(L"sequence_helper.exe install \"" + out + L"\"", SequenceHelperPath()));
    std::string result;
    ASSERT_TRUE(ReadWholeFile(out, result));
    EXPECT_EQ("1", result);

    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    WText copy = WideOf(in.m_regSelfCopy);
    ASSERT_TRUE(FileExists(copy));
    ASSERT_EQ(0, lstrcmpiW((WideOf(in.m_installDir) + L"\\sequence_helper.exe").c_str(), copy.c_str()));
    out = dir + L"\\uninstall.txt";
    ASSERT_EQ(0, RunAndWait(L"\"" + copy + L"\" uninstall \"" + out + L"\"", copy));
    ASSERT_TRUE(ReadWholeFile(out, result));
    EXPECT_EQ("1", result);
    EXPECT_TRUE(FileExists(copy)) << "a running program cannot be deleted";
    EXPECT_TRUE(IsPendingDelete(copy)) << "so it goes at the restart";
    EXPECT_TRUE(DirExists(WideOf(in.m_installDir)));
    EXPECT_TRUE(IsPendingDelete(WideOf(in.m_installDir)));
    EXPECT_FALSE(FileExists(WideOf(in.m_regFileA)));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.vendorPath, KEY_WOW64_32KEY));
    RemoveTree(dir);
}

// Without the libraries' paths nothing is removed: the sequence stops before its first step.
TEST_F(Uninstall, WithoutLibraryPathsNothingIsRemoved)
{
    InstallFirst();
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    // A run whose texts lack the library's file name, with the record as read.
    CInstall bare;
    ASSERT_TRUE(LoadTexts(bare, {{144, "kernel32.dll"}, {60, "GetSystemWow64DirectoryW"}}));
    bare.ProbePlatform(58, 144);
    bare.m_installedVersion = in.m_installedVersion;
    bare.m_installCount = in.m_installCount;
    bare.m_regSharedCount = in.m_regSharedCount;
    bare.m_regFileA.Assign(in.m_regFileA);
    bare.m_regSelfCopy.Assign(in.m_regSelfCopy);
    bare.m_installDir.Assign(in.m_installDir);
    EXPECT_EQ(0, bare.Uninstall());
    EXPECT_EQ(0u, bare.m_uninstallDone);
    EXPECT_TRUE(FileExists(WideOf(in.m_regFileA)));
    EXPECT_TRUE(FileExists(WideOf(in.m_regSelfCopy)));
    EXPECT_EQ(2, CountPendingRenames()) << "only the installation's two library moves";
}
