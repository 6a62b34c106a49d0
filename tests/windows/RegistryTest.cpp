// Registry access against Wine's real registry: keys, views, values of every type the installer
// meets, and the by-id forms.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

const wchar_t kTestRoot[] = L"Software\\EngineRegistryTest";

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

class Registry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kTestRoot, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &m_root, nullptr));
    }
    void TearDown() override
    {
        RegCloseKey(m_root);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    }

    // Non-zero bytes follow the data: the system adds a terminator to a string value given
    // without one when a zero unit happens to follow it in memory.
    void Put(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        std::vector<uint8_t> bytes((const uint8_t*)data, (const uint8_t*)data + size);
        bytes.insert(bytes.end(), 4, 0x55);
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(m_root, name, 0, type, bytes.data(), size));
        DWORD stored = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(m_root, name, nullptr, nullptr, nullptr, &stored));
        ASSERT_EQ(size, stored);
    }

    bool ValueExists(HKEY key, const wchar_t* name)
    {
        return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    DWORD CountValues(HKEY key)
    {
        DWORD values = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        return values;
    }

    DWORD CountSubKeys(HKEY key)
    {
        DWORD keys = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr);
        return keys;
    }

    CInstall m_install;
    HKEY m_root = nullptr;
};

} // namespace

TEST_F(Registry, OpenAndCreateKeys)
{
    HKEY created = m_install.CreateRegKey(m_root, L"A\\B", KEY_WRITE);
    ASSERT_NE(nullptr, created);
    EXPECT_EQ(1, m_install.SetRegDword(created, L"v", 7));
    RegCloseKey(created);

    HKEY opened = m_install.OpenRegKey(m_root, L"A\\B", KEY_READ);
    ASSERT_NE(nullptr, opened);
    uint32_t value = 0;
    EXPECT_EQ(1, m_install.QueryRegDword(opened, L"v", value));
    EXPECT_EQ(7u, value);
    RegCloseKey(opened);

    // Creating an existing key opens it.
    created = m_install.CreateRegKey(m_root, L"A\\B", KEY_READ);
    ASSERT_NE(nullptr, created);
    EXPECT_EQ(1, m_install.QueryRegDword(created, L"v", value));
    RegCloseKey(created);

    EXPECT_EQ(nullptr, m_install.OpenRegKey(m_root, L"Missing", KEY_READ));
    EXPECT_EQ(nullptr, m_install.OpenRegKey(m_root, L"A\\Missing", KEY_READ));
    EXPECT_EQ(nullptr, m_install.OpenRegKey(nullptr, L"A", KEY_READ));
    EXPECT_EQ(nullptr, m_install.CreateRegKey(nullptr, L"C", KEY_WRITE));
    // An empty name gives no second handle to the parent.
    EXPECT_EQ(nullptr, m_install.OpenRegKey(m_root, L"", KEY_READ));
    EXPECT_EQ(nullptr, m_install.OpenRegKey(m_root, (const WChar*)nullptr, KEY_READ));
    EXPECT_EQ(nullptr, m_install.CreateRegKey(m_root, L"", KEY_WRITE));
    EXPECT_EQ(1u, CountSubKeys(m_root));
}

TEST_F(Registry, AccessMaskReachesTheSystem)
{
    // The masks the installer uses: reading works only with KEY_READ in them, writing only
    // with KEY_SET_VALUE.
    struct Case {
        REGSAM mask;
        bool canRead, canWrite;
    } cases[] = {
        {0x20019, true, false},  {0x20119, true, false}, {0x20006, false, true},
        {0x20106, false, true},  {0x6, false, true},     {0x106, false, true},
        {0x2001F, true, true},
    };
    HKEY setup = m_install.CreateRegKey(m_root, L"Masks", KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, setup);
    ASSERT_EQ(1, m_install.SetRegDword(setup, L"v", 1));
    RegCloseKey(setup);
    for (const Case& c : cases) {
        for (int create = 0; create < 2; ++create) {
            HKEY key = create ? m_install.CreateRegKey(m_root, L"Masks", c.mask)
                              : m_install.OpenRegKey(m_root, L"Masks", c.mask);
            ASSERT_NE(nullptr, key) << std::hex << c.mask;
            uint32_t value = 0;
            EXPECT_EQ(c.canRead, m_install.QueryRegDword(key, L"v", value) == 1)
                << std::hex << c.mask << " create " << create;
            EXPECT_EQ(c.canWrite, m_install.SetRegDword(key, L"w", 2) == 1)
                << std::hex << c.mask << " create " << create;
            RegCloseKey(key);
        }
    }
}

TEST_F(Registry, ViewFlagSelectsTheView)
{
    // A 64-bit process: KEY_WOW64_32KEY lands under Wow6432Node, KEY_WOW64_64KEY and no flag in
    // the native view. The layout keys are shared between the views.
    const wchar_t* native = L"Software\\EngineViewTest";
    const wchar_t* redirected = L"Software\\Wow6432Node\\EngineViewTest";
    struct Case {
        REGSAM view;
        bool inNative, inRedirected;
    } cases[] = {
        {0, true, false},
        {KEY_WOW64_64KEY, true, false},
        {KEY_WOW64_32KEY, false, true},
    };
    for (const Case& c : cases) {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, native, KEY_WOW64_64KEY, 0);
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, native, KEY_WOW64_32KEY, 0);
        HKEY key = m_install.CreateRegKey(HKEY_LOCAL_MACHINE, native, KEY_WRITE | c.view);
        ASSERT_NE(nullptr, key) << c.view;
        RegCloseKey(key);
        HKEY probe = nullptr;
        EXPECT_EQ(c.inNative, RegOpenKeyExW(HKEY_LOCAL_MACHINE, native, 0,
                                            KEY_READ | KEY_WOW64_64KEY, &probe) == ERROR_SUCCESS)
            << c.view;
        if (probe)
            RegCloseKey(probe);
        probe = nullptr;
        EXPECT_EQ(c.inRedirected,
                  RegOpenKeyExW(HKEY_LOCAL_MACHINE, redirected, 0, KEY_READ, &probe) == ERROR_SUCCESS)
            << c.view;
        if (probe)
            RegCloseKey(probe);
        // Opening follows the same view.
        key = m_install.OpenRegKey(HKEY_LOCAL_MACHINE, native, KEY_READ | c.view);
        EXPECT_NE(nullptr, key) << c.view;
        if (key)
            RegCloseKey(key);
        REGSAM other = c.view == KEY_WOW64_32KEY ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        key = m_install.OpenRegKey(HKEY_LOCAL_MACHINE, native, KEY_READ | other);
        EXPECT_EQ(nullptr, key) << c.view;
        if (key)
            RegCloseKey(key);
    }
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, native, KEY_WOW64_64KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, native, KEY_WOW64_32KEY, 0);

    const wchar_t* layout = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\a0000409";
    HKEY key = m_install.CreateRegKey(HKEY_LOCAL_MACHINE, layout, 0x106);
    ASSERT_NE(nullptr, key);
    RegCloseKey(key);
    key = m_install.OpenRegKey(HKEY_LOCAL_MACHINE, layout, KEY_READ | KEY_WOW64_32KEY);
    EXPECT_NE(nullptr, key) << "the layout keys are one key in both views";
    if (key)
        RegCloseKey(key);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, layout, KEY_WOW64_64KEY, 0);
}

TEST_F(Registry, ReadingValuesOfEveryType)
{
    struct Case {
        const wchar_t* name;   // null: the value is not written
        DWORD type;
        std::vector<uint8_t> data;
        bool stringOk;
        WText text;
        bool dwordOk;
        uint32_t dword;
        bool binaryOk;
    };
    auto utf16 = [](const wchar_t* s, size_t units) {
        return std::vector<uint8_t>((const uint8_t*)s, (const uint8_t*)s + units * 2);
    };
    std::vector<uint8_t> odd = utf16(L"abc", 3);
    odd.push_back('x');
    std::vector<uint8_t> big(100000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (uint8_t)(i * 7 + 1);
    WText longText(40000, L'q');
    longText[39999] = L'z';
    const uint8_t four[4] = {0x78, 0x56, 0x34, 0x12};
    const uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Case cases[] = {
        {L"sz", REG_SZ, utf16(L"abc", 4), true, L"abc", false, 0, false},
        {L"sz-empty", REG_SZ, utf16(L"", 1), true, L"", false, 0, false},
        {L"sz-no-bytes", REG_SZ, {}, true, L"", false, 0, false},
        {L"sz-unterminated", REG_SZ, utf16(L"abc", 3), true, L"ab", false, 0, false},
        {L"sz-odd", REG_SZ, odd, true, L"abc", false, 0, false},
        {L"sz-one-byte", REG_SZ, {'a'}, true, L"", false, 0, false},
        {L"sz-long", REG_SZ, utf16(longText.c_str(), longText.size() + 1), true, longText, false, 0, false},
        {L"sz-polish", REG_SZ, utf16(L"\x17c\xf3\x142w", 5), true, L"\x17c\xf3\x142w", false, 0, false},
        {L"expand", REG_EXPAND_SZ, utf16(L"abc", 4), false, L"", false, 0, false},
        {L"multi", REG_MULTI_SZ, utf16(L"abc\0\0", 5), false, L"", false, 0, false},
        {L"dword", REG_DWORD, std::vector<uint8_t>(four, four + 4), false, L"", true, 0x12345678, false},
        {L"dword-short", REG_DWORD, {1, 2}, false, L"", false, 0, false},
        {L"dword-long", REG_DWORD, std::vector<uint8_t>(eight, eight + 8), false, L"", false, 0, false},
        {L"binary4", REG_BINARY, std::vector<uint8_t>(four, four + 4), false, L"", false, 0, true},
        {L"binary-empty", REG_BINARY, {}, false, L"", false, 0, false},
        {L"binary-big", REG_BINARY, big, false, L"", false, 0, true},
        {L"qword", REG_QWORD, std::vector<uint8_t>(eight, eight + 8), false, L"", false, 0, false},
        {nullptr, REG_NONE, {}, false, L"", false, 0, false},
    };
    for (const Case& c : cases) {
        const wchar_t* name = c.name ? c.name : L"missing";
        if (c.name)
            Put(name, c.type, c.data.data(), (DWORD)c.data.size());
        SCOPED_TRACE(testing::Message() << "value " << std::string(name, name + wcslen(name)));

        GString text;
        text.AssignUtf8("previous");
        EXPECT_EQ(c.stringOk, m_install.QueryRegString(m_root, name, text) == 1);
        EXPECT_TRUE(text.IsWide());
        EXPECT_TRUE(Wide(text) == c.text);
        EXPECT_EQ(0, text.WideAt(0)[text.GetLength()]) << "terminated";

        GString same;
        same.AssignWide(c.text.c_str(), (int)c.text.size());
        EXPECT_EQ(c.stringOk, m_install.RegStringEquals(m_root, name, same) == 1);
        GString other;
        other.AssignWide(L"abd");
        EXPECT_EQ(0, m_install.RegStringEquals(m_root, name, other));

        uint32_t dword = 0xDEADBEEF;
        EXPECT_EQ(c.dwordOk, m_install.QueryRegDword(m_root, name, dword) == 1);
        EXPECT_EQ(c.dwordOk ? c.dword : 0xDEADBEEF, dword) << "written only on success";

        uint32_t count = 99;
        uint8_t* bytes = m_install.QueryRegBinary(m_root, name, count);
        EXPECT_EQ(c.binaryOk, bytes != nullptr);
        if (bytes) {
            ASSERT_EQ(c.data.size(), count);
            EXPECT_EQ(0, memcmp(bytes, c.data.data(), count));
            free(bytes);
        } else {
            EXPECT_EQ(0u, count);
        }
    }
}

TEST_F(Registry, NullKeyOrEmptyNameReadsNothing)
{
    Put(nullptr, REG_SZ, L"default", 16);
    GString text;
    text.AssignWide(L"kept");
    EXPECT_EQ(0, m_install.QueryRegString(nullptr, L"sz", text));
    EXPECT_EQ(0, m_install.QueryRegString(m_root, L"", text));
    EXPECT_EQ(0, m_install.QueryRegString(m_root, (const WChar*)nullptr, text));
    EXPECT_TRUE(Wide(text) == L"kept") << "refused before the string is touched";
    GString value;
    value.AssignWide(L"default");
    EXPECT_EQ(0, m_install.RegStringEquals(m_root, L"", value));
    uint32_t dword = 5;
    EXPECT_EQ(0, m_install.QueryRegDword(nullptr, L"x", dword));
    uint32_t count = 5;
    EXPECT_EQ(nullptr, m_install.QueryRegBinary(nullptr, L"x", count));
    EXPECT_EQ(0u, count);
}

TEST_F(Registry, WritingValues)
{
    struct Case {
        const char* utf8;   // null: wide text
        const wchar_t* wide;
        WText stored;
    } strings[] = {
        {nullptr, L"abc", L"abc"},
        {nullptr, L"", L""},
        {"za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87", nullptr, L"za\x17c\xf3\x142\x107"},
        {"", nullptr, L""},
    };
    int n = 0;
    for (const Case& c : strings) {
        GString text;
        if (c.utf8)
            text.AssignUtf8(c.utf8);
        else
            text.AssignWide(c.wide);
        wchar_t name[16];
        wsprintfW(name, L"s%d", n++);
        ASSERT_EQ(1, m_install.SetRegString(m_root, name, text));
        DWORD type = 0;
        DWORD size = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(m_root, name, nullptr, &type, nullptr, &size));
        EXPECT_EQ((DWORD)REG_SZ, type);
        ASSERT_EQ((c.stored.size() + 1) * 2, size) << "text and terminator";
        std::vector<wchar_t> raw(size / 2);
        RegQueryValueExW(m_root, name, nullptr, &type, (BYTE*)raw.data(), &size);
        EXPECT_TRUE(WText(raw.data(), raw.size() - 1) == c.stored);
        EXPECT_EQ(0, raw.back());
        GString back;
        EXPECT_EQ(1, m_install.RegStringEquals(m_root, name, text));
    }
    GString text;
    text.AssignWide(L"x");
    EXPECT_EQ(0, m_install.SetRegString(nullptr, L"s", text));
    EXPECT_EQ(0, m_install.SetRegString(m_root, L"", text));
    EXPECT_EQ(0, m_install.SetRegString(m_root, (const WChar*)nullptr, text));
    EXPECT_FALSE(ValueExists(m_root, nullptr)) << "the default value stays unwritten";

    ASSERT_EQ(1, m_install.SetRegDword(m_root, L"d", 0xCAFEF00D));
    DWORD type = 0, data = 0, size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(m_root, L"d", nullptr, &type, (BYTE*)&data, &size));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(0xCAFEF00Du, data);
    EXPECT_EQ(0, m_install.SetRegDword(nullptr, L"d", 1));

    const uint8_t bytes[5] = {0, 1, 2, 0xFE, 0xFF};
    ASSERT_EQ(1, m_install.SetRegBinary(m_root, L"b", bytes, sizeof bytes));
    uint8_t back[8] = {0};
    size = sizeof back;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(m_root, L"b", nullptr, &type, back, &size));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    ASSERT_EQ(sizeof bytes, size);
    EXPECT_EQ(0, memcmp(bytes, back, sizeof bytes));
    // An empty block is a value of no bytes; a missing block with a count is refused.
    ASSERT_EQ(1, m_install.SetRegBinary(m_root, L"b0", bytes, 0));
    size = sizeof back;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(m_root, L"b0", nullptr, &type, back, &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(0, m_install.SetRegBinary(m_root, L"bn", nullptr, 4));
    EXPECT_FALSE(ValueExists(m_root, L"bn"));
    EXPECT_EQ(0, m_install.SetRegBinary(nullptr, L"b", bytes, 1));
}

TEST_F(Registry, DeletingValues)
{
    Put(L"v", REG_DWORD, "\1\0\0\0", 4);
    Put(nullptr, REG_SZ, L"default", 16);
    EXPECT_EQ(1, m_install.DeleteRegValue(m_root, L"v"));
    EXPECT_FALSE(ValueExists(m_root, L"v"));
    EXPECT_EQ(0, m_install.DeleteRegValue(m_root, L"v"));
    EXPECT_EQ(0, m_install.DeleteRegValue(m_root, L""));
    EXPECT_EQ(0, m_install.DeleteRegValue(m_root, (const WChar*)nullptr));
    EXPECT_EQ(0, m_install.DeleteRegValue(nullptr, L"v"));
    EXPECT_TRUE(ValueExists(m_root, nullptr)) << "an empty name never reaches the default value";
}

TEST_F(Registry, MissingIdNeverTouchesTheRegistry)
{
    // No string table is loaded, so every id is missing. Each key below holds a default value
    // (the value an empty name would reach) or is a parent an empty name would open, create in
    // or delete.
    const StringId missing = 157;
    HKEY sz = m_install.CreateRegKey(m_root, L"sz", KEY_ALL_ACCESS);
    HKEY dword = m_install.CreateRegKey(m_root, L"dword", KEY_ALL_ACCESS);
    HKEY binary = m_install.CreateRegKey(m_root, L"binary", KEY_ALL_ACCESS);
    HKEY leaf = m_install.CreateRegKey(m_root, L"leaf", KEY_ALL_ACCESS);
    ASSERT_TRUE(sz && dword && binary && leaf);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(sz, nullptr, 0, REG_SZ, (const BYTE*)L"text", 10));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(dword, nullptr, 0, REG_DWORD, (const BYTE*)"\7\0\0\0", 4));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(binary, nullptr, 0, REG_BINARY, (const BYTE*)"\1\2", 2));

    EXPECT_EQ(nullptr, m_install.OpenRegKey(m_root, missing, KEY_READ));
    EXPECT_EQ(nullptr, m_install.CreateRegKey(leaf, missing, KEY_WRITE));
    EXPECT_EQ(0u, CountSubKeys(leaf));

    GString text;
    text.AssignWide(L"text");
    EXPECT_EQ(0, m_install.QueryRegString(sz, missing, text));
    EXPECT_EQ(0, text.GetLength());
    text.AssignWide(L"text");
    EXPECT_EQ(0, m_install.RegStringEquals(sz, missing, text));
    uint32_t value = 0;
    EXPECT_EQ(0, m_install.QueryRegDword(dword, missing, value));
    EXPECT_EQ(0u, value);
    uint32_t count = 9;
    EXPECT_EQ(nullptr, m_install.QueryRegBinary(binary, missing, count));
    EXPECT_EQ(0u, count);

    GString replacement;
    replacement.AssignWide(L"other");
    EXPECT_EQ(0, m_install.SetRegString(leaf, missing, replacement));
    EXPECT_EQ(0, m_install.SetRegString(leaf, missing, (StringId)158));
    EXPECT_EQ(0, m_install.SetRegDword(leaf, missing, 1));
    EXPECT_EQ(0, m_install.SetRegBinary(leaf, missing, "\1", 1));
    EXPECT_EQ(0u, CountValues(leaf));

    m_install.DeleteRegValue(sz, missing);
    m_install.DeleteRegValue(dword, missing);
    EXPECT_TRUE(ValueExists(sz, nullptr));
    EXPECT_TRUE(ValueExists(dword, nullptr));

    // RegDeleteKeyW with an empty name deletes the key it is given.
    EXPECT_EQ(0, m_install.DeleteRegKey(leaf, missing));
    RegCloseKey(leaf);
    leaf = m_install.OpenRegKey(m_root, L"leaf", KEY_READ);
    EXPECT_NE(nullptr, leaf);
    if (leaf)
        RegCloseKey(leaf);

    EXPECT_EQ(0, m_install.SetMachineRegString(missing, missing, missing));
    RegCloseKey(sz);
    RegCloseKey(dword);
    RegCloseKey(binary);
}

TEST_F(Registry, ByIdFormsUseTheText)
{
    ASSERT_TRUE(LoadTexts(m_install, {{500, "Sub\\Key"}, {501, "Number"}, {502, "Bytes"},
                                      {503, "Text"}, {504, ""}, {505, "value \xC5\xBC"}}));
    HKEY key = m_install.CreateRegKey(m_root, 500, KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, key);
    EXPECT_TRUE(Wide(m_install.m_scratch) == L"Sub\\Key") << "looked up into the work string";
    RegCloseKey(key);
    key = m_install.OpenRegKey(m_root, L"Sub\\Key", KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, key) << "created under the text of the id";
    RegCloseKey(key);
    key = m_install.OpenRegKey(m_root, 500, KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, key);

    uint32_t value = 0;
    EXPECT_EQ(1, m_install.SetRegDword(key, 501, 0x01020304));
    EXPECT_EQ(1, m_install.QueryRegDword(key, L"Number", value));
    EXPECT_EQ(0x01020304u, value);
    value = 0;
    EXPECT_EQ(1, m_install.QueryRegDword(key, 501, value));
    EXPECT_EQ(0x01020304u, value);

    const uint8_t bytes[3] = {9, 8, 7};
    EXPECT_EQ(1, m_install.SetRegBinary(key, 502, bytes, 3));
    uint32_t count = 0;
    uint8_t* back = m_install.QueryRegBinary(key, 502, count);
    ASSERT_NE(nullptr, back);
    ASSERT_EQ(3u, count);
    EXPECT_EQ(0, memcmp(bytes, back, 3));
    free(back);
    back = m_install.QueryRegBinary(key, L"Bytes", count);
    EXPECT_NE(nullptr, back);
    free(back);

    EXPECT_EQ(1, m_install.SetRegString(key, 503, (StringId)505));
    GString text;
    EXPECT_EQ(1, m_install.QueryRegString(key, L"Text", text));
    EXPECT_TRUE(Wide(text) == L"value \x17c");
    GString same;
    same.AssignUtf8("value \xC5\xBC");
    EXPECT_EQ(1, m_install.RegStringEquals(key, 503, same));

    // The name of SetRegString and RegStringEquals goes to a string of their own, so the work
    // string itself can be the text.
    m_install.m_scratch.AssignWide(L"from the work string");
    EXPECT_EQ(1, m_install.SetRegString(key, 503, m_install.m_scratch));
    EXPECT_EQ(1, m_install.QueryRegString(key, L"Text", text));
    EXPECT_TRUE(Wide(text) == L"from the work string");
    EXPECT_EQ(1, m_install.RegStringEquals(key, 503, m_install.m_scratch));
    EXPECT_TRUE(Wide(m_install.m_scratch) == L"from the work string");
    // Reading into the work string by id.
    m_install.m_scratch.AssignWide(L"overwritten");
    EXPECT_EQ(1, m_install.QueryRegString(key, 503, m_install.m_scratch));
    EXPECT_TRUE(Wide(m_install.m_scratch) == L"from the work string");

    m_install.DeleteRegValue(key, 501);
    EXPECT_FALSE(ValueExists(key, L"Number"));
    EXPECT_TRUE(ValueExists(key, L"Bytes"));
    RegCloseKey(key);

    // An empty text is no name: no handle to the parent, no value written.
    EXPECT_EQ(nullptr, m_install.OpenRegKey(m_root, 504, KEY_READ));
    EXPECT_EQ(nullptr, m_install.CreateRegKey(m_root, 504, KEY_READ));
    EXPECT_EQ(0, m_install.SetRegString(m_root, 504, same));
    EXPECT_EQ(0, m_install.SetRegString(m_root, 503, (StringId)506)) << "value text missing";
    EXPECT_FALSE(ValueExists(m_root, L"Text"));
}

TEST_F(Registry, DeleteRegKey)
{
    ASSERT_TRUE(LoadTexts(m_install, {{500, "Sub\\Key"}, {504, ""}, {507, "Sub"}}));
    HKEY key = m_install.CreateRegKey(m_root, L"Sub\\Key", KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, key);
    RegCloseKey(key);
    EXPECT_EQ(0, m_install.DeleteRegKey(nullptr, 500));
    // The key itself goes; its parent stays.
    EXPECT_EQ(1, m_install.DeleteRegKey(m_root, 500));
    EXPECT_EQ(nullptr, m_install.OpenRegKey(m_root, L"Sub\\Key", KEY_READ));
    key = m_install.OpenRegKey(m_root, L"Sub", KEY_READ);
    EXPECT_NE(nullptr, key);
    if (key)
        RegCloseKey(key);
    EXPECT_EQ(0, m_install.DeleteRegKey(m_root, 500)) << "already gone";
    // An empty text would delete the key it is given.
    HKEY sub = m_install.OpenRegKey(m_root, L"Sub", KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(0, m_install.DeleteRegKey(sub, 504));
    RegCloseKey(sub);
    sub = m_install.OpenRegKey(m_root, L"Sub", KEY_READ);
    EXPECT_NE(nullptr, sub);
    if (sub)
        RegCloseKey(sub);
    EXPECT_EQ(1, m_install.DeleteRegKey(m_root, 507));
    EXPECT_EQ(0u, CountSubKeys(m_root));
}

TEST_F(Registry, FinishValue)
{
    // The finishing value goes into a machine key that exists; it is never created.
    const wchar_t* path = L"Software\\EngineFinishTest";
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    ASSERT_TRUE(LoadTexts(m_install, {{4, "Software\\EngineFinishTest"}, {71, "Finished"},
                                      {50, "later release"}, {51, "first release"}}));
    m_install.m_osVersion = 61;
    EXPECT_FALSE(m_install.WriteFinishValue());
    EXPECT_EQ(nullptr, m_install.OpenRegKey(HKEY_LOCAL_MACHINE, path, KEY_READ));

    HKEY key = m_install.CreateRegKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, key);
    struct Case {
        int osVersion;
        const wchar_t* text;
    } cases[] = {
        {0, L"first release"},   {50, L"first release"}, {51, L"later release"},
        {52, L"later release"},  {100, L"later release"},
    };
    for (const Case& c : cases) {
        RegDeleteValueW(key, L"Finished");
        m_install.m_osVersion = c.osVersion;
        EXPECT_TRUE(m_install.WriteFinishValue()) << c.osVersion;
        GString value;
        EXPECT_EQ(1, m_install.QueryRegString(key, L"Finished", value)) << c.osVersion;
        EXPECT_TRUE(Wide(value) == c.text) << c.osVersion;
    }
    EXPECT_EQ(0, m_install.SetMachineRegString(4, 71, 52)) << "no text for the value";
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
}
