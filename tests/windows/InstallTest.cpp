// The install sequence with the product's payload, against Wine's registry, file system and
// shell: a first installation, a reinstallation, one over the older version, the settings-only
// mode, and the machine state after each.
#include "SequenceFixture.h"

#include <shlobj.h>

namespace {

class Install : public CSequenceFixture
{
};

} // namespace

TEST_F(Install, FirstInstallation)
{
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    ASSERT_EQ(0u, in.m_installedVersion);
    ASSERT_EQ(1u, in.m_optDesktopLinks);
    EXPECT_EQ(1, in.Install());
    EXPECT_EQ(1u, in.m_installDone);
    EXPECT_EQ(1u, in.m_installCount);
    EXPECT_EQ(1u, in.m_regSharedCount);
    ExpectInstalled(in, true);
    ExpectRecorded(in, 1, 1, true);

    // The layout active before the installation, with the user's language.
    wchar_t layout[KL_NAMELENGTH] = {};
    ASSERT_TRUE(GetKeyboardLayoutNameW(layout));
    wchar_t previous[32];
    swprintf(previous, 32, L"%04X:%ls", (unsigned)GetUserDefaultLangID(), layout);
    EXPECT_TRUE(RecordValue(0, 11).Text() == previous) << Utf8Of(RecordValue(0, 11).Text());
    // The toggle values are set; no scan-code map was there and none was asked for.
    for (StringId name : {14, 15, 16}) {
        RegValue value = ReadRegValue(HKEY_CURRENT_USER, m_places.togglePath, TextOf(in, name), 0);
        EXPECT_TRUE(value.Text() == L"3") << name;
    }
    EXPECT_EQ((DWORD)REG_NONE,
              ReadRegValue(HKEY_LOCAL_MACHINE, TextOf(in, 5), TextOf(in, 6), 0).type);
}

TEST_F(Install, WithoutDesktopLinks)
{
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    in.m_optDesktopLinks = 0;
    in.m_optToggleKeys = 0;
    EXPECT_EQ(1, in.Install());
    EXPECT_EQ(1u, in.m_installDone);
    // No desktop link, but the desktop text file.
    ExpectInstalled(in, false);
    ExpectRecorded(in, 1, 1, false);
    for (StringId name : {27, 33, 74}) {
        int key = name == 27 ? 1 : 0;
        EXPECT_EQ((DWORD)REG_NONE, RecordValue(key, name).type) << name;
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, m_places.togglePath, 0) &&
                 ReadRegValue(HKEY_CURRENT_USER, m_places.togglePath, TextOf(in, 14), 0).type != REG_NONE)
        << "the toggle values are left alone";
}

// Reinstalling the same version: the counts stay, and what the record holds is not made again.
TEST_F(Install, ReinstallOfTheSameVersion)
{
    CInstall first;
    ASSERT_TRUE(PrepareInstaller(first));
    ASSERT_EQ(1, first.Install());
    ASSERT_TRUE(WriteWholeFile(WideOf(first.m_fileC), "changed by the user"));
    ASSERT_TRUE(DeleteFileW(WideOf(first.m_fileB).c_str()));
    ASSERT_TRUE(DeleteFileW(WideOf(first.m_textDesktopFile).c_str()));
    ASSERT_TRUE(DeleteFileW(WideOf(first.m_fileA).c_str()));
    ASSERT_TRUE(DeleteFileW(WideOf(first.m_selfLink).c_str()));

    CInstall again;
    ASSERT_TRUE(PrepareInstaller(again));
    ASSERT_EQ(190u, again.m_installedVersion);
    EXPECT_EQ(1, again.Install());
    EXPECT_EQ(1u, again.m_installDone);
    EXPECT_EQ(1u, again.m_installCount);
    EXPECT_EQ(1u, again.m_regSharedCount);
    ExpectRecorded(again, 1, 1, true);
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(WideOf(again.m_fileC), bytes));
    EXPECT_EQ("changed by the user", bytes) << "file C is recorded: not rewritten";
    EXPECT_FALSE(FileExists(WideOf(again.m_fileB))) << "document B is recorded at this version";
    EXPECT_FALSE(FileExists(WideOf(again.m_textDesktopFile))) << "the text files are recorded";
    EXPECT_TRUE(FileExists(WideOf(again.m_fileA))) << "document A is always written";
    EXPECT_TRUE(FileExists(WideOf(again.m_selfLink))) << "the installer's link is made anew";
    EXPECT_TRUE(FileExists(WideOf(again.m_selfCopy)));
}

TEST_F(Install, OverTheOlderVersion)
{
    MakeOlderInstallation();
    CInstall in;
    ASSERT_TRUE(PrepareInstaller(in));
    ASSERT_EQ(130u, in.m_installedVersion);
    EXPECT_EQ(1, in.Install());
    for (const WText& file : OlderFiles())
        EXPECT_FALSE(FileExists(file)) << Utf8Of(file);
    ExpectInstalled(in, true);
    ExpectRecorded(in, 1, 1, true);
}

// A recorded desktop link of document A at another place is deleted and made at the new one,
// even when desktop links are not wanted.
TEST_F(Install, MovedDesktopLinkIsMadeAtItsNewPlace)
{
    CInstall first;
    ASSERT_TRUE(PrepareInstaller(first));
    ASSERT_EQ(1, first.Install());
    WText old = m_desktop + L"\\old guide link.lnk";
    ASSERT_TRUE(WriteWholeFile(old, "link"));
    ASSERT_TRUE(DeleteFileW(WideOf(first.m_fileADesktopLink).c_str()));
    ASSERT_TRUE(WriteRegText(HKEY_LOCAL_MACHINE, m_places.sharedPath, TextOf(m_texts, 27), old,
                             KEY_WOW64_32KEY));

    CInstall again;
    ASSERT_TRUE(PrepareInstaller(again));
    again.m_optDesktopLinks = 0;
    EXPECT_EQ(1, again.Install());
    EXPECT_FALSE(FileExists(old));
    EXPECT_TRUE(FileExists(WideOf(again.m_fileADesktopLink)));
    EXPECT_TRUE(RecordValue(1, 27).Text() == WideOf(again.m_fileADesktopLink));
    EXPECT_TRUE(FileExists(WideOf(again.m_fileBDesktopLink))) << "the first run's, left alone";
}

TEST_F(Install, SettingsOnly)
{
    // Without a record there are no settings to change: nothing is written or scheduled.
    CInstall none;
    ASSERT_TRUE(PrepareInstaller(none));
    none.m_settingsOnly = 1;
    EXPECT_EQ(0, none.Install());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.vendorPath, KEY_WOW64_32KEY));
    EXPECT_EQ(0, CountPendingRenames());

    CInstall first;
    ASSERT_TRUE(PrepareInstaller(first));
    ASSERT_EQ(1, first.Install());
    ASSERT_TRUE(DeleteFileW(WideOf(first.m_fileA).c_str()));
    ASSERT_TRUE(DeleteFileW(WideOf(first.m_fileCMenuLink).c_str()));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_places.layoutPath.c_str());
    const StringId unchanged[] = {11, 21, 72, 73, 74, 75, 76, 31, 32, 33, 79, 34};
    std::vector<RegValue> before;
    for (StringId name : unchanged)
        before.push_back(RecordValue(0, name));
    int pending = CountPendingRenames();

    CInstall change;
    ASSERT_TRUE(PrepareInstaller(change));
    ASSERT_EQ(190u, change.m_installedVersion);
    change.m_settingsOnly = 1;
    change.m_variant = change.m_variant == 2 ? 1 : 2;
    change.m_optAltLibraries = 1;
    change.m_optDesktopLinks = 1;
    change.FindKey(0x3A)->virtualKey = 0x00A2;
    EXPECT_EQ(1, change.Install());
    EXPECT_EQ(0u, change.m_installDone) << "the finishing value is not written for a change";
    EXPECT_EQ((uint32_t)change.m_variant, RecordValue(2, 158).Number());
    EXPECT_EQ(1u, RecordValue(2, 156).Number());
    const uint8_t assignment[] = {0x3A, 0x00, 0xA2, 0x00};
    EXPECT_TRUE(RecordValue(2, 157).bytes == std::vector<uint8_t>(assignment, assignment + 4));
    for (size_t i = 0; i < sizeof unchanged / sizeof unchanged[0]; ++i) {
        RegValue after = RecordValue(0, unchanged[i]);
        EXPECT_TRUE(after.type == before[i].type && after.bytes == before[i].bytes) << unchanged[i];
    }
    EXPECT_FALSE(FileExists(WideOf(change.m_fileA))) << "no file is written";
    EXPECT_FALSE(FileExists(WideOf(change.m_fileCMenuLink))) << "no link is made";
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.layoutPath, KEY_WOW64_64KEY))
        << "the layout is not registered again";
    EXPECT_EQ(pending + 2, CountPendingRenames()) << "both libraries scheduled again";
}

// The first failing step ends the sequence: what ran stays, nothing later happens.
TEST_F(Install, StopsAtTheFirstFailingStep)
{
    {
        // No copy of the installer can be made: the files are there, the record is not.
        CInstall in;
        ASSERT_TRUE(PrepareInstaller(in));
        in.m_selfPath.AssignWide(L"C:\\no such folder\\setup.exe");
        EXPECT_EQ(0, in.Install());
        EXPECT_EQ(0u, in.m_installDone);
        EXPECT_TRUE(FileExists(WideOf(in.m_fileA)));
        EXPECT_FALSE(FileExists(WideOf(in.m_selfCopy)));
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.vendorPath, KEY_WOW64_32KEY));
        EXPECT_EQ(0, CountPendingRenames()) << "no library was scheduled";
    }
    Clean();
    {
        // No keyboard-layouts key to register in: the record is written, the layout is not.
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_places.layoutsPath.c_str());
        CInstall in;
        ASSERT_TRUE(PrepareInstaller(in));
        EXPECT_EQ(0, in.Install());
        EXPECT_EQ(0u, in.m_installDone);
        EXPECT_EQ(190u, RecordValue(2, 39).Number());
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.layoutPath, KEY_WOW64_64KEY));
        EXPECT_EQ((DWORD)REG_NONE,
                  ReadRegValue(HKEY_CURRENT_USER, m_places.togglePath, TextOf(in, 14), 0).type);
    }
    Clean();
    {
        // No toggle key: the layout is registered, the sequence still fails when toggles are
        // wanted, and completes when they are not.
        RegDeleteTreeW(HKEY_CURRENT_USER, m_places.togglePath.c_str());
        CInstall in;
        ASSERT_TRUE(PrepareInstaller(in));
        EXPECT_EQ(0, in.Install());
        EXPECT_EQ(0u, in.m_installDone);
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.layoutPath, KEY_WOW64_64KEY));
    }
    Clean();
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_places.togglePath.c_str());
        CInstall in;
        ASSERT_TRUE(PrepareInstaller(in));
        in.m_optToggleKeys = 0;
        EXPECT_EQ(1, in.Install());
        EXPECT_EQ(1u, in.m_installDone);
    }
}

// The older version's files are named from a folder, a name and a suffix; a path missing a
// part would name another file, so it is not touched.
TEST_F(Install, OlderVersionFilesNeedAllTheirParts)
{
    const TextList all = {{77, "Old guide"}, {78, "Old read me"}, {42, ".html"}, {43, ".lnk"},
                          {44, ".txt"}};
    struct Case {
        const char* what;
        StringId without;            // a text left out (0: none)
        std::vector<WText> removed;  // relative to the user's folders: D documents, K desktop
    } cases[] = {
        {"every part", 0, {L"D\\Old guide.html", L"K\\Old guide.lnk", L"D\\Old read me.txt", L"K\\Old read me.lnk"}},
        {"no guide name", 77, {L"D\\Old read me.txt", L"K\\Old read me.lnk"}},
        {"no link suffix", 43, {L"D\\Old guide.html", L"D\\Old read me.txt"}},
    };
    const std::vector<WText> present = {
        L"D\\Old guide.html", L"K\\Old guide.lnk", L"D\\Old read me.txt", L"K\\Old read me.lnk",
        // What a path without one of its parts would name.
        L"D\\.html", L"K\\.lnk", L"D\\Old guide", L"K\\Old guide", L"K\\Old read me",
    };
    auto full = [&](const WText& relative) {
        return (relative[0] == L'D' ? m_documents : m_desktop) + relative.substr(1);
    };
    for (const Case& c : cases) {
        for (const WText& file : present)
            ASSERT_TRUE(WriteWholeFile(full(file), "user's")) << Utf8Of(file);
        CInstall in;
        TextList texts;
        for (const auto& t : all) {
            if (t.first != c.without)
                texts.push_back(t);
        }
        ASSERT_TRUE(LoadTexts(in, texts));
        EXPECT_EQ(1, in.RemoveOldFiles(0)) << c.what;
        for (const WText& file : present) {
            bool gone = false;
            for (const WText& r : c.removed)
                gone = gone || r == file;
            EXPECT_EQ(!gone, FileExists(full(file))) << c.what << ": " << Utf8Of(file);
            DeleteFileW(full(file).c_str());
        }
    }
    EXPECT_EQ(0, CountPendingRenames()) << "without the flag no library is scheduled";
}
