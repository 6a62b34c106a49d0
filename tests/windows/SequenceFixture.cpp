#include "SequenceFixture.h"

#include <objbase.h>
#include <shlobj.h>

#include "payload/PayloadItems.h"

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void DeleteIfThere(const GString& path)
{
    if (path.GetLength() > 0)
        DeleteFileW(WideOf(path).c_str());
}

std::string Narrow(const GString& s)
{
    GString copy;
    copy.Assign(s);
    const char* text = copy.GetNarrow();
    return text ? std::string(text, (size_t)copy.GetLength()) : std::string();
}

} // namespace

void CSequenceFixture::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, 0)));
    // The user's documents and desktop are links to the home folder in a Wine prefix: the
    // older version's files are made and removed in folders of the test's own instead.
    WText base = L"C:\\users\\Public\\KlawikUser";
    m_documents = base + L"\\Documents";
    m_desktop = base + L"\\Desktop";
    CreateDirectoryW(base.c_str(), nullptr);
    CreateDirectoryW(m_documents.c_str(), nullptr);
    CreateDirectoryW(m_desktop.c_str(), nullptr);
    ASSERT_TRUE(WriteRegText(HKEY_CURRENT_USER, kShellFolders, L"Personal", m_documents, 0));
    ASSERT_TRUE(WriteRegText(HKEY_CURRENT_USER, kShellFolders, L"Desktop", m_desktop, 0));

    ASSERT_TRUE(PrepareInstaller(m_texts));
    GString folder;
    ASSERT_TRUE(m_texts.GetSpecialFolder(CSIDL_PERSONAL, folder));
    ASSERT_EQ(0, lstrcmpiW(m_documents.c_str(), WideOf(folder).c_str())) << "documents moved";
    ASSERT_TRUE(m_texts.GetSpecialFolder(CSIDL_DESKTOP, folder));
    ASSERT_EQ(0, lstrcmpiW(m_desktop.c_str(), WideOf(folder).c_str())) << "desktop moved";
    ASSERT_GT(m_texts.m_installDir.GetLength(), 0);
    ASSERT_GT(m_texts.m_selfPath.GetLength(), 0);
    m_places = PlacesOf(m_texts);
    Clean();
}

void CSequenceFixture::TearDown()
{
    Clean();
    CoUninitialize();
}

void CSequenceFixture::Clean()
{
    CInstall& t = m_texts;
    GString* files[] = {&t.m_fileADesktopLink, &t.m_fileBDesktopLink, &t.m_fileCDesktopLink,
                        &t.m_textDesktopFile};
    for (GString* file : files)
        DeleteIfThere(*file);
    RemoveTree(WideOf(t.m_vendorDir));
    RemoveTree(WideOf(t.m_menuVendorDir));
    for (const WText& file : OlderFiles())
        DeleteFileW(file.c_str());

    HKEY software = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TextOf(t, 7).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                      &software) == ERROR_SUCCESS) {
        RegDeleteTreeW(software, TextOf(t, 8).c_str());
        RegCloseKey(software);
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_places.layoutPath.c_str());
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"PendingFileRenameOperations");
        RegCloseKey(key);
    }
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TextOf(t, 5).c_str(), 0, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key, TextOf(t, 6).c_str());
        RegCloseKey(key);
    }
    // A real Windows has these keys; the layout key and the toggle values are written into
    // them, never created with them.
    RegDeleteTreeW(HKEY_CURRENT_USER, m_places.togglePath.c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_places.layoutsPath.c_str(), 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, m_places.togglePath.c_str(), 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
}

RegValue CSequenceFixture::RecordValue(int key, StringId name)
{
    const WText& path = key == 0 ? m_places.recordPath : key == 1 ? m_places.sharedPath
                                                                  : m_places.productPath;
    return ReadRegValue(HKEY_LOCAL_MACHINE, path, TextOf(m_texts, name), KEY_WOW64_32KEY);
}

bool CSequenceFixture::SetRecordNumber(int key, StringId name, uint32_t value)
{
    const WText& path = key == 0 ? m_places.recordPath : key == 1 ? m_places.sharedPath
                                                                  : m_places.productPath;
    return WriteRegNumber(HKEY_LOCAL_MACHINE, path, TextOf(m_texts, name), value, KEY_WOW64_32KEY);
}

std::vector<WText> CSequenceFixture::OlderFiles()
{
    const WText guide = TextOf(m_texts, 77);
    const WText readMe = TextOf(m_texts, 78);
    return {
        m_documents + L"\\" + guide + TextOf(m_texts, 42),
        m_desktop + L"\\" + guide + TextOf(m_texts, 43),
        m_documents + L"\\" + readMe + TextOf(m_texts, 44),
        m_desktop + L"\\" + readMe + TextOf(m_texts, 43),
    };
}

void CSequenceFixture::MakeOlderInstallation()
{
    const REGSAM view = KEY_WOW64_64KEY;
    ASSERT_TRUE(WriteRegText(HKEY_LOCAL_MACHINE, m_places.layoutPath, TextOf(m_texts, 17),
                             TextOf(m_texts, 81), view));
    ASSERT_TRUE(WriteRegText(HKEY_LOCAL_MACHINE, m_places.layoutPath, TextOf(m_texts, 19),
                             TextOf(m_texts, 84), view));
    ASSERT_TRUE(WriteRegText(HKEY_LOCAL_MACHINE, m_places.layoutPath, TextOf(m_texts, 18),
                             TextOf(m_texts, 83), view));
    for (const WText& file : OlderFiles())
        ASSERT_TRUE(WriteWholeFile(file, "older version")) << Utf8Of(file);
}

void CSequenceFixture::ExpectInstalled(CInstall& in, bool desktopLinks)
{
    std::string bytes;
    struct Document {
        GString& path;
        std::string content;
    } documents[] = {
        {in.m_fileA, ItemBytes(in, FileAItem.data, FileAItem.storedSize)},
        {in.m_fileB, ItemBytes(in, FileBItem.data, FileBItem.storedSize)},
        {in.m_fileD, ItemBytes(in, FileDItem.data, FileDItem.storedSize)},
    };
    for (const Document& d : documents) {
        ASSERT_FALSE(d.content.empty());
        EXPECT_TRUE(ReadWholeFile(WideOf(d.path), bytes)) << Utf8Of(WideOf(d.path));
        EXPECT_TRUE(bytes == d.content) << Utf8Of(WideOf(d.path));
    }
    GString readMe;
    in.GetString(in.m_osVersion <= 50 ? 68 : 67, readMe);
    EXPECT_TRUE(ReadWholeFile(WideOf(in.m_fileC), bytes));
    EXPECT_EQ(Narrow(readMe), bytes);
    GString format, notes;
    in.GetString(69, format);
    GString keyList;
    in.GetString(80, keyList);
    GString::Format(notes, format.GetWide(), in.m_installDir.GetWide(), keyList.GetWide());
    ASSERT_GT(notes.GetLength(), 0);
    for (GString* file : {&in.m_textMenuFile, &in.m_textDesktopFile}) {
        EXPECT_TRUE(ReadWholeFile(WideOf(*file), bytes)) << Utf8Of(WideOf(*file));
        EXPECT_EQ(Narrow(notes), bytes);
    }

    const WText readMeIcon = TextOf(in, 52);
    struct Link {
        GString& link;
        GString& target;
        WText description;
        WText icon;
        bool made;
    } links[] = {
        {in.m_fileAMenuLink, in.m_fileA, TextOf(in, 121), L"", true},
        {in.m_fileADesktopLink, in.m_fileA, TextOf(in, 121), L"", desktopLinks},
        {in.m_fileBMenuLink, in.m_fileB, TextOf(in, 35), L"", true},
        {in.m_fileBDesktopLink, in.m_fileB, TextOf(in, 35), L"", desktopLinks},
        {in.m_fileCMenuLink, in.m_fileC, TextOf(in, 122), readMeIcon, true},
        {in.m_fileCDesktopLink, in.m_fileC, TextOf(in, 122), readMeIcon, desktopLinks},
        {in.m_selfLink, in.m_selfCopy, WideOf(in.m_selfLinkTitle), WideOf(in.m_selfCopy), true},
    };
    for (const Link& l : links) {
        WText path = WideOf(l.link);
        LinkContents read;
        EXPECT_EQ(l.made, FileExists(path)) << Utf8Of(path);
        if (!l.made || !ReadLink(path, read))
            continue;
        EXPECT_EQ(0, lstrcmpiW(WideOf(l.target).c_str(), read.target.c_str())) << Utf8Of(path);
        EXPECT_TRUE(l.description == read.description) << Utf8Of(path);
        EXPECT_TRUE(l.icon == read.icon) << Utf8Of(path) << ": " << Utf8Of(read.icon);
        if (!l.icon.empty()) {
            EXPECT_EQ(0, read.iconIndex) << Utf8Of(path);
        }
    }

    std::string self, copy;
    ASSERT_TRUE(ReadWholeFile(WideOf(in.m_selfPath), self));
    EXPECT_TRUE(ReadWholeFile(WideOf(in.m_selfCopy), copy));
    EXPECT_TRUE(self == copy) << "the installer's copy";

    // The layout key, in the 64-bit view, and the libraries waiting for the restart.
    struct Value {
        StringId name, text;
    } values[] = {{17, 81}, {20, 87}, {19, 84}, {18, 83}};
    for (const Value& v : values) {
        RegValue value = ReadRegValue(HKEY_LOCAL_MACHINE, m_places.layoutPath, TextOf(in, v.name),
                                      KEY_WOW64_64KEY);
        EXPECT_EQ((DWORD)REG_SZ, value.type) << v.name;
        EXPECT_TRUE(value.Text() == TextOf(in, v.text)) << v.name;
    }
    WText temp = WideOf(in.m_installDir) + L"\\" + TextOf(in, 83);
    EXPECT_TRUE(IsPendingMove(temp, m_places.library32)) << Utf8Of(m_places.library32);
    EXPECT_TRUE(IsPendingMove(temp + L"64", m_places.libraryNative))
        << Utf8Of(m_places.libraryNative);
}

void CSequenceFixture::ExpectRecorded(CInstall& in, uint32_t installCount, uint32_t sharedCount,
                                      bool desktopLinks)
{
    // In the 32-bit view, and there only.
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.productPath, KEY_WOW64_32KEY));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, m_places.vendorPath, KEY_WOW64_64KEY));
    EXPECT_EQ(installCount, RecordValue(0, 21).Number());
    EXPECT_EQ(sharedCount, RecordValue(1, 29).Number());

    CInstall read;
    ASSERT_TRUE(PrepareInstaller(read));
    EXPECT_EQ(190u, read.m_installedVersion);
    EXPECT_EQ(installCount, read.m_installCount);
    EXPECT_EQ(sharedCount, read.m_regSharedCount);
    EXPECT_EQ(190u, read.m_regVersion1);
    EXPECT_EQ(190u, read.m_regVersion2);
    struct Path {
        GString& recorded;
        GString& composed;
        bool made;
    } paths[] = {
        {read.m_regFileA, in.m_fileA, true},
        {read.m_regFileAMenuLink, in.m_fileAMenuLink, true},
        {read.m_regFileADesktopLink, in.m_fileADesktopLink, desktopLinks},
        {read.m_regFileB, in.m_fileB, true},
        {read.m_regFileBMenuLink, in.m_fileBMenuLink, true},
        {read.m_regFileBDesktopLink, in.m_fileBDesktopLink, desktopLinks},
        {read.m_regFileC, in.m_fileC, true},
        {read.m_regFileCMenuLink, in.m_fileCMenuLink, true},
        {read.m_regFileCDesktopLink, in.m_fileCDesktopLink, desktopLinks},
        {read.m_regTextMenuFile, in.m_textMenuFile, true},
        {read.m_regTextDesktopFile, in.m_textDesktopFile, true},
        {read.m_regFileD, in.m_fileD, true},
        {read.m_regSelfCopy, in.m_selfCopy, true},
        {read.m_regSelfLink, in.m_selfLink, true},
    };
    for (const Path& p : paths) {
        if (p.made) {
            EXPECT_TRUE(WideOf(p.recorded) == WideOf(p.composed)) << Utf8Of(WideOf(p.composed));
        } else {
            EXPECT_EQ(0, p.recorded.GetLength()) << Utf8Of(WideOf(p.recorded));
        }
    }
}
