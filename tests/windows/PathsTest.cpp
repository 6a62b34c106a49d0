// The installation paths composed by the installer object under Wine: the system folders, a
// known string table, and argv[0] as a program was started.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

WText Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {0};
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

// Splits UTF-8 lines ended by CR LF (the last one unended).
std::vector<WText> Lines(const std::string& utf8)
{
    std::vector<WText> lines;
    size_t start = 0;
    for (;;) {
        size_t end = utf8.find("\r\n", start);
        std::string line = utf8.substr(start, end == std::string::npos ? std::string::npos : end - start);
        GString s;
        s.AssignUtf8(line.c_str(), (int)line.size());
        lines.push_back(s.GetWide());
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

} // namespace

TEST(Paths, ComposedFromTheSystemFoldersAndTheTexts)
{
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, PathTexts()));
    EXPECT_TRUE(install.BuildPaths());
    const WText programFiles = Environment(L"ProgramFiles");
    const WText programs = Environment(L"ProgramData") + L"\\Microsoft\\Windows\\Start Menu\\Programs";
    const WText desktop = Environment(L"PUBLIC") + L"\\Desktop";
    ASSERT_FALSE(programFiles.empty());
    const WText install_ = programFiles + L"\\Vendor\\Product";
    const WText menu = programs + L"\\Vendor\\Product";
    const WText display = L"\\Layout (Polish)";
    struct Case {
        const char* member;
        GString& value;
        WText want;
    } cases[] = {
        {"vendorDir", install.m_vendorDir, programFiles + L"\\Vendor"},
        {"installDir", install.m_installDir, install_},
        {"menuVendorDir", install.m_menuVendorDir, programs + L"\\Vendor"},
        {"menuDir", install.m_menuDir, menu},
        {"fileA", install.m_fileA, install_ + display + L".pdf"},
        {"fileAMenuLink", install.m_fileAMenuLink, menu + display + L".lnk"},
        {"fileADesktopLink", install.m_fileADesktopLink, desktop + display + L".lnk"},
        {"fileB", install.m_fileB, install_ + L"\\Guide.pdf"},
        {"fileBMenuLink", install.m_fileBMenuLink, menu + L"\\Guide.lnk"},
        {"fileBDesktopLink", install.m_fileBDesktopLink, desktop + L"\\Guide.lnk"},
        {"fileC", install.m_fileC, install_ + L"\\Changes.txt"},
        {"fileCMenuLink", install.m_fileCMenuLink, menu + L"\\Changes.lnk"},
        {"fileCDesktopLink", install.m_fileCDesktopLink, desktop + L"\\Changes.lnk"},
        {"textMenuFile", install.m_textMenuFile, menu + L"\\Website.url"},
        {"textDesktopFile", install.m_textDesktopFile, desktop + L"\\Website.url"},
        {"fileD", install.m_fileD, install_ + L"\\Layout.dll"},
        {"selfLinkTitle", install.m_selfLinkTitle, L"\\Remove Layout \x17c"},
        {"selfLink", install.m_selfLink, menu + L"\\Remove Layout \x17c.lnk"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(0, lstrcmpiW(c.want.c_str(), Wide(c.value).c_str())) << c.member;
    // This program's own path, and its copy in the installation folder.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    ASSERT_TRUE(argv && argc >= 1);
    WText self = argv[0];
    LocalFree(argv);
    EXPECT_TRUE(Wide(install.m_selfPath) == self);
    EXPECT_TRUE(Wide(install.m_selfCopy) == install_ + L"\\" + self.substr(self.find_last_of(L'\\') + 1));
    // The recorded twins are not this step's.
    EXPECT_EQ(0, install.m_regFileA.GetLength());
    EXPECT_EQ(0, install.m_regSelfCopy.GetLength());
}

TEST(Paths, ArgumentZeroAsStarted)
{
    WText dir = MakeTestDir(L"paths");
    ASSERT_FALSE(dir.empty());
    const WText installDir = Environment(L"ProgramFiles") + L"\\Vendor\\Product";
    const WText link = Environment(L"ProgramData") +
                       L"\\Microsoft\\Windows\\Start Menu\\Programs\\Vendor\\Product\\Remove Layout \x17c.lnk";
    struct Case {
        const char* what;
        WText commandLine;   // ahead of " paths OUTFILE"
        WText selfPath, selfCopy;
    } cases[] = {
        {"no backslash", L"setup.exe", L"setup.exe", installDir + L"\\setup.exe"},
        {"trailing backslash", L"C:\\Downloads\\", L"C:\\Downloads\\", installDir},
        {"relative", L"..\\x\\Setup.exe", L"..\\x\\Setup.exe", installDir + L"\\Setup.exe"},
        {"quoted with blanks", L"\"C:\\My Files\\setup 2.exe\"", L"C:\\My Files\\setup 2.exe",
         installDir + L"\\setup 2.exe"},
    };
    int n = 0;
    for (const Case& c : cases) {
        WText out = dir + L"\\out" + std::to_wstring(n++) + L".txt";
        WText line = c.commandLine + L" paths \"" + out + L"\"";
        EXPECT_EQ(0, RunAndWait(line, HelperPath())) << c.what;
        std::string result;
        ASSERT_TRUE(ReadWholeFile(out, result)) << c.what;
        std::vector<WText> lines = Lines(result);
        ASSERT_EQ(5u, lines.size()) << c.what;
        EXPECT_TRUE(lines[0] == L"1") << c.what;
        EXPECT_TRUE(lines[1] == c.selfPath) << c.what;
        EXPECT_TRUE(lines[2] == L"\\Remove Layout \x17c") << c.what;
        EXPECT_EQ(0, lstrcmpiW(c.selfCopy.c_str(), lines[3].c_str())) << c.what;
        EXPECT_EQ(0, lstrcmpiW(link.c_str(), lines[4].c_str())) << c.what;
    }
    RemoveTree(dir);
}
