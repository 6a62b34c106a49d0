// Shell links written through the link object and read back, and the program associated with
// a file type, against Wine's shell and registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

std::string Utf8(const WText& text)
{
    GString s;
    s.AssignWide(text.c_str(), (int)text.size());
    return std::string(s.GetNarrow(), (size_t)s.GetLength());
}

// A file type whose "open" command starts `program`; removed again by the fixture.
const wchar_t kFileType[] = L".klwshelltest";
const wchar_t kProgId[] = L"KlwShellTest.Document";

bool RegisterFileType(const WText& program)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kFileType, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, nullptr, 0, REG_SZ, (const BYTE*)kProgId,
                             (DWORD)(wcslen(kProgId) + 1) * 2) == ERROR_SUCCESS;
    RegCloseKey(key);
    WText command = L"\"" + program + L"\" marker \"%1\"";
    WText path = WText(kProgId) + L"\\shell\\open\\command";
    if (!ok || RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                               &key, nullptr) != ERROR_SUCCESS)
        return false;
    ok = RegSetValueExW(key, nullptr, 0, REG_SZ, (const BYTE*)command.c_str(),
                        (DWORD)(command.size() + 1) * 2) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

void UnregisterFileType()
{
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kFileType);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
}

bool WaitForFile(const WText& path)
{
    for (int i = 0; i < 100 && !FileExists(path); ++i)
        Sleep(50);
    return FileExists(path);
}

class Shortcuts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, 0)));
        m_dir = MakeTestDir(L"shortcuts");
        ASSERT_FALSE(m_dir.empty());
        UnregisterFileType();
    }
    void TearDown() override
    {
        UnregisterFileType();
        RemoveTree(m_dir);
        CoUninitialize();
    }

    WText Path(const wchar_t* name) const { return m_dir + L"\\" + name; }

    CInstall m_install;
    WText m_dir;
};

} // namespace

TEST_F(Shortcuts, LinksReadBackAsMade)
{
    WText document = Path(L"guide.html");
    WText program = Path(L"setup copy.exe");
    ASSERT_TRUE(WriteWholeFile(document, "<html></html>"));
    ASSERT_TRUE(WriteWholeFile(program, "MZ"));
    struct Case {
        const wchar_t* link;
        WText target;
        const wchar_t* description;
        const wchar_t* icon;   // null: no icon is set
        int index;
    } cases[] = {
        {L"guide.lnk", document, L"Klawik user guide", nullptr, 0},
        {L"read me.lnk", document, L"Czytaj: \x017C\x00F3\x0142w", L"%SystemRoot%\\system32\\shell32.dll", 0},
        {L"setup.lnk", program, L"\\Klawik setup", program.c_str(), 0},
        {L"second icon.lnk", program, L"", program.c_str(), 3},
    };
    for (const auto& c : cases) {
        WText link = Path(c.link);
        EXPECT_EQ(1, m_install.CreateShortcut(c.target.c_str(), link.c_str(), c.description, c.icon,
                                              c.index))
            << Utf8(c.link);
        LinkContents read;
        ASSERT_TRUE(ReadLink(link, read)) << Utf8(c.link);
        EXPECT_EQ(0, lstrcmpiW(c.target.c_str(), read.target.c_str())) << Utf8(read.target);
        EXPECT_TRUE(read.description == c.description) << Utf8(read.description);
        if (c.icon) {
            EXPECT_TRUE(read.icon == c.icon) << Utf8(read.icon);
            EXPECT_EQ(c.index, read.iconIndex) << Utf8(c.link);
        } else {
            EXPECT_TRUE(read.icon.empty()) << "no icon set: " << Utf8(read.icon);
        }
    }
    // Making a link again replaces it.
    WText link = Path(L"guide.lnk");
    EXPECT_EQ(1, m_install.CreateShortcut(program.c_str(), link.c_str(), L"again", nullptr, 0));
    LinkContents read;
    ASSERT_TRUE(ReadLink(link, read));
    EXPECT_EQ(0, lstrcmpiW(program.c_str(), read.target.c_str()));
    EXPECT_TRUE(read.description == L"again");
}

TEST_F(Shortcuts, LinkThatCannotBeSavedIsNotMade)
{
    WText document = Path(L"guide.html");
    ASSERT_TRUE(WriteWholeFile(document, "<html></html>"));
    WText missing = Path(L"no such folder\\guide.lnk");
    EXPECT_EQ(0, m_install.CreateShortcut(document.c_str(), missing.c_str(), L"guide", nullptr, 0));
    EXPECT_FALSE(FileExists(missing));
    EXPECT_EQ(0, m_install.CreateShortcut(document.c_str(), L"", L"guide", nullptr, 0));
    EXPECT_EQ(0, m_install.CreateShortcut(document.c_str(), nullptr, L"guide", nullptr, 0));
    EXPECT_EQ(0, m_install.CreateShortcut(nullptr, Path(L"x.lnk").c_str(), L"guide", nullptr, 0));
    EXPECT_EQ(1, CountFiles(m_dir)) << "only the document";
    // A null description is an empty one.
    WText link = Path(L"plain.lnk");
    EXPECT_EQ(1, m_install.CreateShortcut(document.c_str(), link.c_str(), nullptr, nullptr, 0));
    LinkContents read;
    ASSERT_TRUE(ReadLink(link, read));
    EXPECT_TRUE(read.description.empty());
}

TEST_F(Shortcuts, WithoutComNothingIsMade)
{
    CoUninitialize();
    WText link = Path(L"guide.lnk");
    EXPECT_EQ(0, m_install.CreateShortcut(HelperPath().c_str(), link.c_str(), L"guide", nullptr, 0));
    EXPECT_FALSE(FileExists(link));
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, 0)));
}

TEST_F(Shortcuts, AssociatedProgram)
{
    ASSERT_TRUE(LoadTexts(m_install, {{41, Utf8(kFileType)}, {42, ".klwnotregistered"}}));
    GString program;
    program.AssignWide(L"previous");
    EXPECT_EQ(0, m_install.GetAssociatedProgram(41, program)) << "not registered yet";
    EXPECT_EQ(0, program.GetLength());

    ASSERT_TRUE(RegisterFileType(HelperPath()));
    EXPECT_EQ(1, m_install.GetAssociatedProgram(41, program));
    EXPECT_EQ(0, lstrcmpiW(HelperPath().c_str(), Wide(program).c_str())) << Utf8(Wide(program));
    EXPECT_EQ(0, m_install.GetAssociatedProgram(42, program));
    EXPECT_EQ(0, program.GetLength());
    EXPECT_EQ(0, m_install.GetAssociatedProgram(43, program)) << "no such string";
}

TEST_F(Shortcuts, CheckAssociatedProgram)
{
    ASSERT_TRUE(RegisterFileType(HelperPath()));
    ASSERT_TRUE(LoadTexts(m_install, {
        {41, Utf8(kFileType)},
        {42, ".klwnotregistered"},
        {45, ".EXE"},
        {46, "ENGINE_HELPER"},
        {47, "engine_helper"},
        {48, ".exe"},
        {49, "NOTEPAD"},
    }));
    struct Case {
        StringId type, text;
        int match;
    } cases[] = {
        {41, 45, 1},
        {41, 46, 1},
        {41, 47, 0},   // the path is upper-cased, the text is not
        {41, 48, 0},
        {41, 49, 0},
        {41, 50, 0},   // no such text
        {42, 45, 0},   // no program for the type
        {43, 45, 0},   // no such type
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, m_install.CheckAssociatedProgram(c.type, c.text)) << c.type << "/" << c.text;
}

TEST_F(Shortcuts, OpenInfoDocument)
{
    WText marker = Path(L"opened.txt");
    ASSERT_TRUE(LoadTexts(m_install, {
        {41, Utf8(kFileType)},
        {2, "\"%s\" marker \"%s\""},
        {95, Utf8(marker)},
    }));
    EXPECT_EQ(0, m_install.OpenInfoDocument()) << "no program for the type";
    Sleep(200);
    EXPECT_FALSE(FileExists(marker));

    ASSERT_TRUE(RegisterFileType(HelperPath()));
    EXPECT_EQ(1, m_install.OpenInfoDocument());
    EXPECT_TRUE(WaitForFile(marker)) << "the program was started with the document";

    // The format decides the command line: the program first, then the argument.
    WText second = Path(L"second.txt");
    ASSERT_TRUE(LoadTexts(m_install, {{41, Utf8(kFileType)}, {3, "\"%s\" marker \"%s\""}}));
    EXPECT_EQ(1, m_install.OpenWithAssociatedProgram(41, 3, second.c_str()));
    EXPECT_TRUE(WaitForFile(second));
    EXPECT_EQ(0, m_install.OpenWithAssociatedProgram(44, 3, second.c_str())) << "no such type";
}
