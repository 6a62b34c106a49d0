// Layout registration against Wine's real registry: the layout key in the 64-bit view, the
// system scan-code map read at start and written back, the toggle values and the input-language
// scripts (run through the helper program, which keeps a copy of the script it was given).
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

const wchar_t kLayoutsPath[] = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";
const wchar_t kLayoutPath[] = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\a4b20415";
const wchar_t kMapPath[] = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layout";
const wchar_t kTogglePath[] = L"Keyboard Layout\\Toggle";

TextList RegistrationTexts()
{
    return {
        {3, "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts"},
        {5, "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layout"},
        {6, "Scancode Map"},
        {13, "Keyboard Layout\\Toggle"},
        {14, "Hotkey"},
        {15, "Language Hotkey"},
        {16, "Layout Hotkey"},
        {17, "Layout Text"},
        {18, "Layout File"},
        {19, "Layout Id"},
        {20, "Layout Display Name"},
        {59, "RegDeleteKeyExW"},
        {81, "Klawik \xC5\xBC"},
        {83, "kbdklwk.dll"},
        {84, "0b42"},
        {85, "a4b20415"},
        {87, "@%SystemRoot%\\system32\\kbdklwk.dll,-1000"},
        {144, "kernel32.dll"},
        {145, "advapi32.dll"},
    };
}

TextList Without(TextList texts, StringId id)
{
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].first == id) {
            texts.erase(texts.begin() + (long)i);
            break;
        }
    }
    return texts;
}

TextList With(TextList texts, StringId id, const std::string& text)
{
    texts = Without(texts, id);
    texts.push_back({id, text});
    return texts;
}

std::string Utf8(const WText& w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}

bool KeyExists(HKEY root, const wchar_t* path, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A string value as UTF-8, "<missing>" when absent, "<type N>" when not REG_SZ.
std::string StringValue(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return "<no key>";
    wchar_t buffer[512] = {0};
    DWORD size = sizeof buffer - 2;
    DWORD type = 0;
    LONG result = RegQueryValueExW(key, name, nullptr, &type, (BYTE*)buffer, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "<missing>";
    if (type != REG_SZ)
        return "<type " + std::to_string(type) + ">";
    return Utf8(WText(buffer, size / 2 ? size / 2 - 1 : 0));
}

// The machine's keyboard-layouts key, as a real Windows has it (a fresh prefix has none).
void MakeLayoutsKey()
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLayoutsPath, 0, nullptr, 0,
                                             KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr));
    RegCloseKey(key);
}

class Registration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLayoutPath);
        ASSERT_TRUE(LoadTexts(m_install, RegistrationTexts()));
        m_install.m_osVersion = 100;
        m_install.m_is64BitOs = 1;
    }
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLayoutPath); }

    CInstall m_install;
};

} // namespace

TEST_F(Registration, WritesTheLayoutKeyInTheSystemsView)
{
    MakeLayoutsKey();
    for (uint32_t is64 : {1u, 0u}) {
        SCOPED_TRACE(is64);
        m_install.m_is64BitOs = is64;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLayoutPath);
        ASSERT_EQ(1, m_install.RegisterLayout());
        REGSAM view = is64 ? KEY_WOW64_64KEY : 0;
        EXPECT_EQ("Klawik \xC5\xBC", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout Text", view));
        EXPECT_EQ("kbdklwk.dll", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout File", view));
        EXPECT_EQ("0b42", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout Id", view));
        EXPECT_EQ("@%SystemRoot%\\system32\\kbdklwk.dll,-1000",
                  StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout Display Name", view));
        // A second registration rewrites the same key.
        EXPECT_EQ(1, m_install.RegisterLayout());
    }
}

TEST_F(Registration, NeedsTheLayoutsKeyAndCreatesNothingWithoutIt)
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLayoutsPath);
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kLayoutsPath, KEY_WOW64_64KEY));
    EXPECT_EQ(0, m_install.RegisterLayout());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kLayoutsPath, KEY_WOW64_64KEY));
    EXPECT_EQ(0, m_install.UnregisterLayout());
}

TEST_F(Registration, StopsAtTheFirstValueItCannotWrite)
{
    MakeLayoutsKey();
    // Values are written in the order Layout Text, Layout Display Name, Layout Id, Layout File.
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, Without(RegistrationTexts(), 84)));
    install.m_is64BitOs = 1;
    EXPECT_EQ(0, install.RegisterLayout());
    EXPECT_EQ("Klawik \xC5\xBC", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout Text"));
    EXPECT_NE("<missing>", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout Display Name"));
    EXPECT_EQ("<missing>", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout Id"));
    EXPECT_EQ("<missing>", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout File"));
}

TEST_F(Registration, UnregisterRemovesTheKey)
{
    MakeLayoutsKey();
    const struct {
        uint32_t is64;
        bool withDeleteInView;
    } cases[] = {{1, true}, {1, false}, {0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.is64 << " " << c.withDeleteInView);
        CInstall install;
        TextList texts = RegistrationTexts();
        if (!c.withDeleteInView)
            texts = Without(texts, 59);
        ASSERT_TRUE(LoadTexts(install, texts));
        install.m_is64BitOs = c.is64;
        ASSERT_EQ(1, install.RegisterLayout());
        // A value that is not the installer's goes with the key.
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLayoutPath, 0,
                                               KEY_WRITE | KEY_WOW64_64KEY, &key));
        DWORD one = 1;
        RegSetValueExW(key, L"Other", 0, REG_DWORD, (const BYTE*)&one, sizeof one);
        RegCloseKey(key);

        EXPECT_EQ(1, install.UnregisterLayout());
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kLayoutPath, KEY_WOW64_64KEY));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kLayoutsPath, KEY_WOW64_64KEY));
        // Nothing left to open the second time.
        EXPECT_EQ(0, install.UnregisterLayout());
    }
}

TEST_F(Registration, UnregisterKeepsAKeyThatStillHasSubKeys)
{
    MakeLayoutsKey();
    ASSERT_EQ(1, m_install.RegisterLayout());
    HKEY sub = nullptr;
    WText subPath = WText(kLayoutPath) + L"\\Child";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, subPath.c_str(), 0, nullptr, 0,
                                             KEY_WRITE | KEY_WOW64_64KEY, nullptr, &sub, nullptr));
    RegCloseKey(sub);
    // The values go; the key stays, and that is no failure of the uninstall.
    EXPECT_EQ(1, m_install.UnregisterLayout());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kLayoutPath, KEY_WOW64_64KEY));
    EXPECT_EQ("<missing>", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout File"));
    EXPECT_EQ("<missing>", StringValue(HKEY_LOCAL_MACHINE, kLayoutPath, L"Layout Text"));
}

// ---------------------------------------------------------------------------------------------

namespace {

typedef std::vector<uint8_t> Bytes;

void PutU32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back((uint8_t)(v >> (8 * i)));
}

// A map value with the given entries (low word: sends, high word: physical key).
Bytes MapValue(const std::vector<uint32_t>& entries, int64_t count = -1)
{
    Bytes b;
    PutU32(b, 0);
    PutU32(b, 0);
    PutU32(b, count < 0 ? (uint32_t)entries.size() + 1 : (uint32_t)count);
    for (uint32_t e : entries)
        PutU32(b, e);
    PutU32(b, 0);
    return b;
}

class ScancodeMap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMapPath, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegDeleteValueW(key, L"Scancode Map");
        RegCloseKey(key);
    }
    void TearDown() override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMapPath, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"Scancode Map");
            RegCloseKey(key);
        }
    }

    void Put(DWORD type, const Bytes& data)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMapPath, 0, KEY_WRITE, &key));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Scancode Map", 0, type, data.data(),
                                                (DWORD)data.size()));
        RegCloseKey(key);
    }

    // The value's type and bytes; type REG_NONE and no bytes when it is absent.
    DWORD Get(Bytes& data)
    {
        data.clear();
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMapPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return REG_NONE;
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExW(key, L"Scancode Map", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            data.resize(size);
            if (RegQueryValueExW(key, L"Scancode Map", nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
                type = REG_NONE;
        }
        RegCloseKey(key);
        return type;
    }
};

uint16_t RemapOf(CInstall& install, uint16_t scanCode)
{
    KeyMapEntry* row = install.FindKey(scanCode);
    return row ? row->scanRemap : 0xDEAD;
}

} // namespace

TEST_F(ScancodeMap, ReadAtStartAndWrittenBack)
{
    const Bytes emptyMap = MapValue({});
    const struct {
        const char* what;
        DWORD type;           // REG_NONE: no value at start
        Bytes start;
        uint32_t hadMap;
        uint16_t capsRemap;   // what Caps Lock's row holds after the read
        DWORD typeAfter;
        Bytes after;
    } cases[] = {
        {"no map", REG_NONE, {}, 0, 0, REG_NONE, {}},
        {"remaps of rows and of a key without a row",
         REG_BINARY,
         MapValue({0x0054001D, 0x003A001D, 0xE05B0000, 0x00010001, 0x00460000}),
         1,
         0x001D,
         REG_BINARY,
         // Caps Lock and Scroll Lock (row order), Left Windows, then the entry of key 0x54.
         MapValue({0x003A001D, 0x00460000, 0xE05B0000, 0x0054001D})},
        {"only a self-remap", REG_BINARY, MapValue({0x003A003A}), 1, 0, REG_BINARY, emptyMap},
        {"count 1", REG_BINARY, MapValue({0x003A001D}, 1), 1, 0, REG_BINARY, emptyMap},
        {"shorter than its count", REG_BINARY, MapValue({0x003A001D}, 3), 1, 0, REG_BINARY, emptyMap},
        {"a count that wraps", REG_BINARY, MapValue({0x003A001D}, 0x40000001), 1, 0, REG_BINARY,
         emptyMap},
        {"eight bytes", REG_BINARY, Bytes(8, 0), 1, 0, REG_BINARY, emptyMap},
        {"the empty map", REG_BINARY, emptyMap, 1, 0, REG_BINARY, emptyMap},
        {"a DWORD is no map", REG_DWORD, {1, 0, 0, 0}, 0, 0, REG_DWORD, {1, 0, 0, 0}},
        {"an empty binary value is no map", REG_BINARY, {}, 0, 0, REG_BINARY, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.type != REG_NONE)
            Put(c.type, c.start);
        CInstall install;
        ASSERT_TRUE(LoadTexts(install, RegistrationTexts()));
        EXPECT_EQ(0, install.ReadScancodeMap());
        EXPECT_EQ(c.hadMap, install.m_hadScancodeMap);
        EXPECT_EQ(c.capsRemap, RemapOf(install, 0x003A));
        EXPECT_EQ(1, install.WriteScancodeMap());
        Bytes after;
        EXPECT_EQ(c.typeAfter, Get(after));
        EXPECT_EQ(c.after, after);
    }
}

TEST_F(ScancodeMap, RemapsOfTheSessionAreWritten)
{
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, RegistrationTexts()));
    EXPECT_EQ(0, install.ReadScancodeMap());
    EXPECT_EQ(0u, install.m_hadScancodeMap);
    install.FindKey(0x003A)->scanRemap = 0x00FF;   // Caps Lock switched off
    install.FindKey(0xE05D)->scanRemap = 0xE038;   // Menu sends Right Alt
    ASSERT_EQ(1, install.WriteScancodeMap());
    Bytes after;
    EXPECT_EQ((DWORD)REG_BINARY, Get(after));
    EXPECT_EQ(MapValue({0x003A0000, 0xE05DE038}), after);

    // Read back by a later run: the same remaps.
    CInstall later;
    ASSERT_TRUE(LoadTexts(later, RegistrationTexts()));
    later.ReadScancodeMap();
    EXPECT_EQ(1u, later.m_hadScancodeMap);
    EXPECT_EQ(0x00FF, RemapOf(later, 0x003A));
    EXPECT_EQ(0xE038, RemapOf(later, 0xE05D));
}

TEST_F(ScancodeMap, FailuresLeaveTheValueAlone)
{
    const Bytes start = MapValue({0x003A001D});
    Put(REG_BINARY, start);
    // No key map at all: nothing read, nothing written.
    CInstall empty;
    ASSERT_TRUE(LoadTexts(empty, RegistrationTexts()));
    empty.m_keyMapCount = 0;
    EXPECT_EQ(0, empty.ReadScancodeMap());
    EXPECT_EQ(0u, empty.m_hadScancodeMap);
    EXPECT_EQ(0, empty.WriteScancodeMap());
    // The value's name missing from the tables: nothing found, nothing written.
    CInstall unnamed;
    ASSERT_TRUE(LoadTexts(unnamed, Without(RegistrationTexts(), 6)));
    unnamed.ReadScancodeMap();
    EXPECT_EQ(0u, unnamed.m_hadScancodeMap);
    unnamed.FindKey(0x003A)->scanRemap = 0x0038;
    EXPECT_EQ(0, unnamed.WriteScancodeMap());
    Bytes after;
    EXPECT_EQ((DWORD)REG_BINARY, Get(after));
    EXPECT_EQ(start, after);
    // The key missing: the write fails.
    CInstall elsewhere;
    ASSERT_TRUE(LoadTexts(elsewhere, With(RegistrationTexts(), 5, "SYSTEM\\NoSuchKey\\Keyboard Layout")));
    elsewhere.FindKey(0x003A)->scanRemap = 0x0038;
    EXPECT_EQ(0, elsewhere.WriteScancodeMap());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\NoSuchKey"));
}

// ---------------------------------------------------------------------------------------------

namespace {

class ToggleValues : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTogglePath); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTogglePath); }

    void MakeToggleKey()
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kTogglePath, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        const wchar_t one[] = L"1";
        RegSetValueExW(key, L"Hotkey", 0, REG_SZ, (const BYTE*)one, sizeof one);
        RegCloseKey(key);
    }
};

} // namespace

TEST_F(ToggleValues, AllThreeBecomeThree)
{
    MakeToggleKey();
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, RegistrationTexts()));
    EXPECT_EQ(1, install.WriteToggleValues());
    for (const wchar_t* name : {L"Hotkey", L"Language Hotkey", L"Layout Hotkey"})
        EXPECT_EQ("3", StringValue(HKEY_CURRENT_USER, kTogglePath, name)) << Utf8(name);
}

TEST_F(ToggleValues, MissingKeyOrNameFails)
{
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, RegistrationTexts()));
    EXPECT_EQ(0, install.WriteToggleValues());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTogglePath)) << "the key is opened, not created";

    MakeToggleKey();
    CInstall partial;
    ASSERT_TRUE(LoadTexts(partial, Without(RegistrationTexts(), 15)));
    EXPECT_EQ(0, partial.WriteToggleValues());
    EXPECT_EQ("3", StringValue(HKEY_CURRENT_USER, kTogglePath, L"Hotkey"));
    EXPECT_EQ("<missing>", StringValue(HKEY_CURRENT_USER, kTogglePath, L"Layout Hotkey"));
}

// ---------------------------------------------------------------------------------------------

namespace {

// The scripts are "run" by the helper program, which copies the script it is given to a file
// the test reads.
class LanguageScript : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = MakeTestDir(L"scripts");
        ASSERT_FALSE(m_dir.empty());
        m_copy = m_dir + L"\\script-copy.txt";
        // A first start of the helper, so that the timed starts below are warm ones.
        ASSERT_EQ(0, RunAndWait(L"\"" + HelperPath() + L"\" marker \"" + m_dir + L"\\warm\""));
        m_tempBefore = ScriptFiles();
    }
    void TearDown() override { RemoveTree(m_dir); }

    TextList Texts() const
    {
        TextList texts = RegistrationTexts();
        texts.push_back({47, "klw"});
        texts.push_back({49, "\"" + Utf8(HelperPath()) + "\" copy \"%s\" \"" + Utf8(m_copy) + "\""});
        texts.push_back({62, "plain %04x %s%s \xC5\xBC"});
        texts.push_back({63, "user %s %04x %s%s %u %X"});
        texts.push_back({64, " default"});
        texts.push_back({65, "old [%s][%s]"});
        texts.push_back({66, "undo [%s]"});
        texts.push_back({90, "Current"});
        return texts;
    }

    // The script the helper was given, or "<none>" when it did not run within `waitMs`.
    std::string Copied(int waitMs = 5000)
    {
        std::string text;
        for (int waited = 0; waited < waitMs && !FileExists(m_copy); waited += 100)
            Sleep(100);
        if (!ReadWholeFile(m_copy, text))
            return "<none>";
        DeleteFileW(m_copy.c_str());
        return text;
    }

    // Files of the script prefix in the temporary folder.
    int ScriptFiles()
    {
        wchar_t temp[MAX_PATH + 1] = {0};
        GetTempPathW(MAX_PATH, temp);
        int count = 0;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((WText(temp) + L"klw*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return 0;
        do {
            ++count;
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return count;
    }

    WText m_dir;
    WText m_copy;
    int m_tempBefore = 0;
};

} // namespace

TEST_F(LanguageScript, ScriptForEachSystem)
{
    const struct {
        int os;
        uint32_t flag;
        bool withUser;
        uint16_t lang;
        const char* expected;   // null: no script runs
    } cases[] = {
        {100, 1, true, 0x0415, "user Current 0415 a4b20415 default 1045 415"},
        {62, 0, true, 0x0409, "user Current 0409 a4b20415 1033 409"},
        {100, 1, false, 0x0415, "plain 0415 a4b20415 default \xC5\xBC"},
        {61, 1, true, 0x041b, "plain 041b a4b20415 default \xC5\xBC"},
        {60, 0, true, 0x0415, "plain 0415 a4b20415 \xC5\xBC"},
        {52, 1, true, 0x0415, nullptr},
        {50, 1, true, 0x0415, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.os);
        CInstall install;
        TextList texts = Texts();
        if (!c.withUser)
            texts = Without(texts, 90);
        ASSERT_TRUE(LoadTexts(install, texts));
        install.m_osVersion = c.os;
        EXPECT_EQ(1, install.RunLanguageScript(c.lang, c.flag));
        EXPECT_EQ(c.expected ? c.expected : "<none>", Copied(c.expected ? 5000 : 1500));
        EXPECT_EQ(m_tempBefore, ScriptFiles()) << "the script file is removed";
    }
}

TEST_F(LanguageScript, NoScriptFileNoRun)
{
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, Without(Texts(), 47)));
    install.m_osVersion = 100;
    EXPECT_EQ(0, install.RunLanguageScript(0x0415, 1));
    EXPECT_EQ(0, install.RunUndoScript());
    // A script that formats to nothing is not run, and its file does not stay behind.
    CInstall empty;
    ASSERT_TRUE(LoadTexts(empty, Without(Without(Texts(), 62), 66)));
    empty.m_osVersion = 61;
    EXPECT_EQ(0, empty.RunLanguageScript(0x0415, 0));
    EXPECT_EQ(0, empty.RunUndoScript());
    EXPECT_EQ("<none>", Copied(1500));
    EXPECT_EQ(m_tempBefore, ScriptFiles());
}

TEST_F(LanguageScript, UndoScript)
{
    const struct {
        int os;
        uint32_t installs;
        const char* expected;
    } cases[] = {
        {100, 1, "undo []"}, {60, 0, "undo []"}, {51, 1, "old [][]"}, {100, 2, nullptr},
        {51, 5, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.os << " " << c.installs);
        CInstall install;
        ASSERT_TRUE(LoadTexts(install, Texts()));
        install.m_osVersion = c.os;
        install.m_installCount = c.installs;
        EXPECT_EQ(1, install.RunUndoScript());
        EXPECT_EQ(c.expected ? c.expected : "<none>", Copied(c.expected ? 5000 : 1500));
        EXPECT_EQ(m_tempBefore, ScriptFiles());
    }
}
