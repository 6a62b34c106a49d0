// File operations against Wine's real file system.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>
#include <string.h>

#include <string>
#include <vector>

#include "ItemBuilder.h"
#include "KeyBlockMaker.h"
#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

class Files : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = MakeTestDir(L"files");
        ASSERT_FALSE(m_dir.empty());
    }
    void TearDown() override { RemoveTree(m_dir); }

    WText Path(const wchar_t* name) const { return m_dir + L"\\" + name; }

    CInstall m_install;
    WText m_dir;
};

} // namespace

TEST_F(Files, CreateOutputFile)
{
    WText path = Path(L"out.bin");
    ASSERT_TRUE(WriteWholeFile(path, "previous contents"));
    HANDLE file = m_install.CreateOutputFile(path.c_str());
    ASSERT_NE(nullptr, file);
    // Nobody else may open it while it is being written.
    EXPECT_EQ(nullptr, m_install.CreateOutputFile(path.c_str()));
    CloseHandle(file);
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(path, contents));
    EXPECT_EQ("", contents) << "an existing file is emptied";

    EXPECT_EQ(nullptr, m_install.CreateOutputFile(Path(L"missing\\out.bin").c_str()));
    EXPECT_EQ(nullptr, m_install.CreateOutputFile(L""));
    EXPECT_EQ(nullptr, m_install.CreateOutputFile(nullptr));
    EXPECT_EQ(nullptr, m_install.CreateOutputFile(m_dir.c_str())) << "a directory";
}

TEST_F(Files, WriteBytes)
{
    WText path = Path(L"bytes.bin");
    HANDLE file = m_install.CreateOutputFile(path.c_str());
    ASSERT_NE(nullptr, file);
    const char bytes[] = "\x00\x01\xFF payload";
    struct Case {
        HANDLE file;
        const void* bytes;
        uint32_t count;
        int result;
    } cases[] = {
        {nullptr, bytes, 4, 0},
        {INVALID_HANDLE_VALUE, bytes, 4, 0},
        {file, nullptr, 4, 0},
        {file, bytes, 0, 0},
        {file, bytes, sizeof bytes - 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, m_install.WriteBytes(c.file, c.bytes, c.count)) << c.count;
    CloseHandle(file);
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(path, contents));
    EXPECT_EQ(std::string(bytes, sizeof bytes - 1), contents);

    // A handle opened for reading only takes no bytes.
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    EXPECT_EQ(0, m_install.WriteBytes(reader, bytes, 4));
    CloseHandle(reader);
}

TEST_F(Files, WriteTextAsUtf8WithoutMarkOrTerminator)
{
    struct Case {
        const wchar_t* wide;   // null: narrow text
        const char* utf8;
        int result;
        std::string bytes;
    } cases[] = {
        {L"plain text\r\n", nullptr, 1, "plain text\r\n"},
        {L"za\x17c\xf3\x142\x107 \x20ac", nullptr, 1, "za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87 \xe2\x82\xac"},
        {nullptr, "narrow \xc5\xbc", 1, "narrow \xc5\xbc"},
        {L"", nullptr, 0, ""},
        {nullptr, "", 0, ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        WText path = Path((L"text" + std::to_wstring(n++)).c_str());
        HANDLE file = m_install.CreateOutputFile(path.c_str());
        ASSERT_NE(nullptr, file);
        GString text;
        if (c.wide)
            text.AssignWide(c.wide);
        else
            text.AssignUtf8(c.utf8);
        EXPECT_EQ(c.result, m_install.WriteText(file, text)) << n;
        CloseHandle(file);
        std::string contents;
        ASSERT_TRUE(ReadWholeFile(path, contents)) << "the file exists even when nothing was written";
        EXPECT_EQ(c.bytes, contents) << n;
    }
    GString text;
    text.AssignWide(L"x");
    EXPECT_EQ(0, m_install.WriteText(nullptr, text));
}

TEST_F(Files, GetSpecialFolder)
{
    // The folders the paths are built from, against the environment of the same session.
    struct Case {
        int csidl;
        const wchar_t* variable;
        const wchar_t* tail;
    } cases[] = {
        {CSIDL_PROGRAM_FILES, L"ProgramFiles", L""},
        {CSIDL_COMMON_PROGRAMS, L"ProgramData", L"\\Microsoft\\Windows\\Start Menu\\Programs"},
        {CSIDL_COMMON_DESKTOPDIRECTORY, L"PUBLIC", L"\\Desktop"},
        {CSIDL_WINDOWS, L"SystemRoot", L""},
    };
    for (const Case& c : cases) {
        wchar_t base[MAX_PATH] = {0};
        ASSERT_NE(0u, GetEnvironmentVariableW(c.variable, base, MAX_PATH));
        WText want = WText(base) + c.tail;
        GString folder;
        folder.AssignUtf8("previous");
        ASSERT_EQ(1, m_install.GetSpecialFolder(c.csidl, folder)) << c.csidl;
        EXPECT_TRUE(folder.IsWide());
        EXPECT_EQ(0, lstrcmpiW(want.c_str(), folder.GetWide())) << c.csidl;
        EXPECT_EQ((int)wcslen(folder.GetWide()), folder.GetLength());
        EXPECT_NE(L'\\', folder.GetWide()[folder.GetLength() - 1]) << "no trailing backslash";
    }
    GString folder;
    folder.AssignWide(L"previous");
    EXPECT_EQ(0, m_install.GetSpecialFolder(0x7F, folder));
    EXPECT_EQ(0, folder.GetLength());
}

TEST_F(Files, DeleteOrSchedule)
{
    struct Case {
        const char* what;
        WText path;
        bool create, lock;
        int result;
        bool scheduled;
    } cases[] = {
        {"existing file", Path(L"present.txt"), true, false, 1, false},
        {"missing file", Path(L"absent.txt"), false, false, 1, false},
        {"file in use", Path(L"locked.txt"), true, true, 1, true},
        {"missing directory", Path(L"no-such-dir\\file.txt"), false, false, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (c.create) {
            ASSERT_TRUE(WriteWholeFile(c.path, "x"));
        }
        if (c.lock) {
            lock = CreateFileW(c.path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, lock);
        }
        for (int form = 0; form < 2; ++form) {
            GString path;
            path.AssignWide(c.path.c_str());
            int result = form == 0 ? m_install.DeleteOrSchedule(c.path.c_str())
                                   : m_install.DeleteOrSchedule(path);
            EXPECT_EQ(c.result, result) << "form " << form;
        }
        EXPECT_EQ(c.lock, FileExists(c.path)) << "deleted at once unless in use";
        EXPECT_EQ(c.scheduled, IsPendingDelete(c.path));
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);
    }
    GString empty;
    EXPECT_EQ(0, m_install.DeleteOrSchedule(empty));
    EXPECT_EQ(0, m_install.DeleteOrSchedule(L""));
    EXPECT_EQ(0, m_install.DeleteOrSchedule((const WChar*)nullptr));
}

TEST_F(Files, Directories)
{
    WText made = Path(L"made");
    EXPECT_EQ(1, m_install.EnsureDirectory(made.c_str()));
    EXPECT_TRUE(DirExists(made));
    EXPECT_EQ(1, m_install.EnsureDirectory(made.c_str())) << "already there";
    EXPECT_EQ(0, m_install.EnsureDirectory(Path(L"missing\\child").c_str()));
    EXPECT_EQ(0, m_install.EnsureDirectory(L""));
    EXPECT_EQ(0, m_install.EnsureDirectory(nullptr));

    ASSERT_TRUE(WriteWholeFile(made + L"\\file", "x"));
    GString dir;
    dir.AssignWide(made.c_str());
    EXPECT_EQ(0, m_install.RemoveDir(dir)) << "not empty";
    EXPECT_TRUE(DirExists(made));
    DeleteFileW((made + L"\\file").c_str());
    EXPECT_EQ(1, m_install.RemoveDir(dir));
    EXPECT_FALSE(DirExists(made));
    EXPECT_EQ(0, m_install.RemoveDir(dir)) << "gone";
    GString empty;
    EXPECT_EQ(0, m_install.RemoveDir(empty));
    // A narrow path works as well.
    ASSERT_TRUE(CreateDirectoryW(made.c_str(), nullptr));
    GString narrow;
    narrow.AssignUtf8(std::string(made.begin(), made.end()).c_str());
    EXPECT_EQ(1, m_install.RemoveDir(narrow));
    EXPECT_FALSE(DirExists(made));
}

TEST_F(Files, GetTempDir)
{
    struct Case {
        WText tmp;
        int result;
        WText want;
    } cases[] = {
        {L"C:\\engine-temp", 1, L"C:\\engine-temp\\"},
        {L"C:\\engine-temp\\", 1, L"C:\\engine-temp\\"},
        {L"C:\\" + WText(800, L'x'), 0, L""},
    };
    wchar_t saved[1024] = {0};
    DWORD hadTmp = GetEnvironmentVariableW(L"TMP", saved, 1024);
    for (const Case& c : cases) {
        SetEnvironmentVariableW(L"TMP", c.tmp.c_str());
        GString dir;
        dir.AssignUtf8("previous");
        EXPECT_EQ(c.result, m_install.GetTempDir(dir)) << c.tmp.size();
        EXPECT_TRUE(dir.IsWide());
        EXPECT_TRUE(WText(dir.WideAt(0), (size_t)dir.GetLength()) == c.want) << c.tmp.size();
    }
    SetEnvironmentVariableW(L"TMP", hadTmp ? saved : nullptr);
}

TEST_F(Files, WriteItemToFileRefusesWhatItCannotRead)
{
    WText path = Path(L"item.bin");
    const uint8_t garbage[32] = {1, 2, 3};
    EXPECT_EQ(0, m_install.WriteItemToFile(nullptr, garbage, sizeof garbage));
    EXPECT_EQ(0, m_install.WriteItemToFile(path.c_str(), nullptr, sizeof garbage));
    EXPECT_EQ(0, m_install.WriteItemToFile(path.c_str(), garbage, sizeof garbage));
    EXPECT_FALSE(FileExists(path)) << "no file for an item that does not decode";
}

TEST_F(Files, MakeTempFile)
{
    ASSERT_TRUE(LoadTexts(m_install, {{152, "kbdsetup"}}));
    GString first, second;
    ASSERT_EQ(1, m_install.MakeTempFile(first, 152, m_dir.c_str()));
    ASSERT_EQ(1, m_install.MakeTempFile(second, 152, m_dir.c_str()));
    WText a = first.GetWide();
    WText b = second.GetWide();
    EXPECT_EQ((int)a.size(), first.GetLength());
    EXPECT_NE(a, b);
    for (const WText& path : {a, b}) {
        // The system's scheme: three characters of the prefix, a hexadecimal number, ".tmp".
        EXPECT_EQ(0, path.compare(0, m_dir.size() + 4, m_dir + L"\\kbd")) << "in the given folder";
        EXPECT_EQ(L".tmp", path.substr(path.size() - 4));
        std::string contents = "?";
        EXPECT_TRUE(ReadWholeFile(path, contents)) << "the empty file is made";
        EXPECT_EQ("", contents);
    }

    // Without a folder: the temporary folder.
    WText temp = MakeTestDir(L"tmp");
    ASSERT_FALSE(temp.empty());
    wchar_t saved[1024] = {0};
    DWORD hadTmp = GetEnvironmentVariableW(L"TMP", saved, 1024);
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    GString inTemp;
    EXPECT_EQ(1, m_install.MakeTempFile(inTemp, 152, nullptr));
    EXPECT_EQ(1, CountFiles(temp));
    EXPECT_EQ(0, WText(inTemp.GetWide()).compare(0, temp.size() + 4, temp + L"\\kbd"));
    SetEnvironmentVariableW(L"TMP", hadTmp ? saved : nullptr);
    RemoveTree(temp);

    // The work string may take the name.
    EXPECT_EQ(1, m_install.MakeTempFile(m_install.m_scratch, 152, m_dir.c_str()));
    EXPECT_TRUE(FileExists(m_install.m_scratch.GetWide()));

    GString missing;
    missing.AssignWide(L"previous");
    EXPECT_EQ(0, m_install.MakeTempFile(missing, 152, Path(L"no-such-dir").c_str()));
    EXPECT_EQ(0, missing.GetLength());
    EXPECT_EQ(0, m_install.MakeTempFile(missing, 0, m_dir.c_str()));
    EXPECT_EQ(0, m_install.MakeTempFile(missing, 153, m_dir.c_str())) << "no text for the prefix";
    EXPECT_EQ(3, CountFiles(m_dir));
}

TEST_F(Files, WriteFileC)
{
    ASSERT_TRUE(LoadTexts(m_install, {{67, "later releases\r\n"}, {68, "first release \xC5\xBC"}}));
    struct Case {
        int osVersion;
        std::string text;
    } cases[] = {
        {0, "first release \xC5\xBC"},  {50, "first release \xC5\xBC"},
        {51, "later releases\r\n"},     {62, "later releases\r\n"},
        {100, "later releases\r\n"},
    };
    for (const Case& c : cases) {
        m_install.m_osVersion = c.osVersion;
        WText path = Path(L"fileC.txt");
        EXPECT_EQ(1, m_install.WriteFileC(path.c_str())) << c.osVersion;
        std::string contents;
        ASSERT_TRUE(ReadWholeFile(path, contents));
        EXPECT_EQ(c.text, contents) << c.osVersion;
    }
    EXPECT_EQ(0, m_install.WriteFileC(Path(L"missing\\fileC.txt").c_str()));
    // Without the text the file is made and stays empty.
    CInstall bare;
    WText path = Path(L"bare.txt");
    EXPECT_EQ(0, bare.WriteFileC(path.c_str()));
    std::string contents = "?";
    EXPECT_TRUE(ReadWholeFile(path, contents));
    EXPECT_EQ("", contents);
}

TEST_F(Files, WriteItemToFile)
{
    CByteSource random(5);
    std::vector<uint8_t> block, key;
    std::string error;
    ASSERT_TRUE(MakeKeyBlock(random, block, key, error)) << error;
    ASSERT_EQ(1, m_install.m_guard.Load(block.data(), (int)block.size()));
    std::vector<uint8_t> content(150000);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = (uint8_t)((i * 2654435761u) >> 13);
    std::vector<uint8_t> item = BuildItem(key.data(), (int)key.size(), content.data(), content.size(), 0);

    WText path = Path(L"document.bin");
    EXPECT_EQ(1, m_install.WriteItemToFile(path.c_str(), item.data(), (uint32_t)item.size()));
    std::string written;
    ASSERT_TRUE(ReadWholeFile(path, written));
    EXPECT_TRUE(written == std::string(content.begin(), content.end()));

    // A damaged item writes no file.
    std::vector<uint8_t> damaged = item;
    damaged[damaged.size() / 2] ^= 0x40;
    WText damagedPath = Path(L"damaged.bin");
    EXPECT_EQ(0, m_install.WriteItemToFile(damagedPath.c_str(), damaged.data(), (uint32_t)damaged.size()));
    EXPECT_FALSE(FileExists(damagedPath));
    EXPECT_EQ(0, m_install.WriteItemToFile(damagedPath.c_str(), item.data(), (uint32_t)item.size() - 8));
    EXPECT_FALSE(FileExists(damagedPath));

    // An item of no bytes: the file is made, the write of nothing counts as a failure.
    std::vector<uint8_t> empty = BuildItem(key.data(), (int)key.size(), content.data(), 0, 0);
    WText emptyPath = Path(L"empty.bin");
    EXPECT_EQ(0, m_install.WriteItemToFile(emptyPath.c_str(), empty.data(), (uint32_t)empty.size()));
    EXPECT_TRUE(FileExists(emptyPath));

    EXPECT_EQ(0, m_install.WriteItemToFile(Path(L"missing\\document.bin").c_str(), item.data(),
                                           (uint32_t)item.size()));
}

TEST_F(Files, RunCommand)
{
    ASSERT_TRUE(LoadTexts(m_install, {{900, "\"%s\" marker \"%s\""},
                                      {901, "\"%s\" sleep %d \"%s\""},
                                      {902, "\"%s\\no-such-program.exe\""}}));
    WText helper = HelperPath();
    WText quick = Path(L"quick.txt");
    WText slow = Path(L"slow.txt");

    // A command that ends within the second has ended when the call returns.
    EXPECT_EQ(1, m_install.RunCommand(900, helper.c_str(), quick.c_str()));
    EXPECT_TRUE(FileExists(quick));
    EXPECT_TRUE(Wide(m_install.m_scratch) == L"\"%s\" marker \"%s\"") << "the format stays";

    // One that runs longer is left running.
    EXPECT_EQ(1, m_install.RunCommand(901, helper.c_str(), 5000, slow.c_str()));
    EXPECT_FALSE(FileExists(slow));
    bool appeared = false;
    for (int i = 0; i < 600 && !appeared; ++i) {
        Sleep(100);
        appeared = FileExists(slow);
    }
    EXPECT_TRUE(appeared) << "the command went on after the call returned";

    // Nothing to start, or nothing that starts: still 1. Only format 0 is refused.
    EXPECT_EQ(1, m_install.RunCommand(902, m_dir.c_str()));
    EXPECT_EQ(1, m_install.RunCommand(903));
    EXPECT_EQ(0, m_install.RunCommand(0));
}

TEST_F(Files, MakeTempFileWithoutPrefix)
{
    GString out;
    EXPECT_EQ(0, m_install.MakeTempFile(out, 0, m_dir.c_str()));
    EXPECT_EQ(0, m_install.MakeTempFile(out, 155, m_dir.c_str())) << "no text for the prefix";
    EXPECT_EQ(0, CountFiles(m_dir));
}
