// The layout library installed from the product's payload under Wine: the builds chosen for a
// system, the paths on a 64-bit system, the patched images written beside the installation, the
// replacements scheduled in PendingFileRenameOperations and carried out by a simulated restart,
// after which the system's loader finds the user's reassignments and the decimal comma in the
// library's tables.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "LayoutView.h"
#include "WinTestUtil.h"
#include "app/Install.h"
#include "payload/PayloadItems.h"

namespace {

const StringId kProductTextIds[] = {83, 144, 56, 57, 60, 146, 147, 148, 149, 150, 151};

// The product's key block and base string table, as Init loads them.
bool LoadProductPayload(CInstall& install)
{
    if (!install.m_guard.Load(KeyBlock, (int)KeyBlockLength))
        return false;
    uint32_t size = BaseStringsItem.storedSize;
    uint32_t count = 0;
    uint8_t* buffer = install.m_guard.ReadItem(BaseStringsItem.data, size, &count);
    if (!buffer)
        return false;
    if (!install.m_baseStrings.Init(buffer, (int)count, size)) {
        free(buffer);
        return false;
    }
    return true;
}

// The product's texts that the layout library needs, to be changed by a test.
std::map<StringId, std::string> ProductTexts()
{
    CInstall install;
    std::map<StringId, std::string> texts;
    if (!LoadProductPayload(install))
        return texts;
    for (StringId id : kProductTextIds) {
        GString s;
        if (install.GetString(id, s)) {
            const char* narrow = s.GetNarrow();
            texts[id] = std::string(narrow, (size_t)s.GetLength());
        }
    }
    return texts;
}

// The product's key block with the given texts as the only table.
bool LoadPayloadWithTexts(CInstall& install, const std::map<StringId, std::string>& texts)
{
    if (!install.m_guard.Load(KeyBlock, (int)KeyBlockLength))
        return false;
    TextList list(texts.begin(), texts.end());
    return LoadTexts(install, list);
}

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

WText SystemDir()
{
    wchar_t dir[MAX_PATH] = {0};
    GetSystemDirectoryW(dir, MAX_PATH);
    return dir;
}

WText SystemWow64Dir()
{
    wchar_t dir[MAX_PATH] = {0};
    GetSystemWow64DirectoryW(dir, MAX_PATH);
    return dir;
}

bool SamePath(const WText& a, const WText& b)
{
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// A replacement of `target` by `source` at the next restart is recorded.
bool IsPendingReplace(const WText& source, const WText& target)
{
    for (const auto& pair : PendingRenames()) {
        if (SamePath(pair.first, L"\\??\\" + source) && SamePath(pair.second, L"!\\??\\" + target))
            return true;
    }
    return false;
}

bool IsPendingSource(const WText& source)
{
    for (const auto& pair : PendingRenames()) {
        if (SamePath(pair.first, L"\\??\\" + source))
            return true;
    }
    return false;
}

// The image of a payload item, decoded.
std::string ItemBytes(CInstall& install, const PayloadItem& item)
{
    uint32_t size = item.storedSize;
    uint32_t extra = 0;
    uint8_t* raw = install.m_guard.ReadItem(item.data, size, &extra);
    if (!raw)
        return std::string();
    std::string bytes((const char*)raw, size);
    free(raw);
    return bytes;
}

// A 64-bit Windows 10 with the product's payload, installing into a test folder.
class LayoutInstall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = MakeTestDir(L"layout");
        ASSERT_FALSE(m_dir.empty());
        // Each test sees only the replacements it scheduled itself.
        HKEY manager = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                          0, KEY_WRITE, &manager) == ERROR_SUCCESS) {
            RegDeleteValueW(manager, L"PendingFileRenameOperations");
            RegCloseKey(manager);
        }
        ASSERT_TRUE(PendingRenames().empty());
        ASSERT_TRUE(LoadProductPayload(m_install));
        m_install.m_osVersion = 100;
        m_install.m_nativeArch = 9;
        m_install.m_is64BitOs = 1;
        m_install.m_variant = 1;
        m_install.m_decimalKey = 0;
        m_install.m_installDir.AssignWide((const WChar*)m_dir.c_str());
        Reassign(0x003A, 0x00A2);   // Caps Lock types Left Ctrl
        Reassign(0xE05D, 0x00FF);   // the Menu key types nothing
    }
    void TearDown() override { RemoveTree(m_dir); }

    void Reassign(uint16_t scanCode, uint16_t virtualKey)
    {
        KeyMapEntry* row = m_install.FindKey(scanCode);
        ASSERT_NE(nullptr, row);
        row->virtualKey = virtualKey;
    }

    WText Temp32() const { return m_dir + L"\\kbdklwk.dll"; }
    WText TempNative() const { return m_dir + L"\\kbdklwk.dll64"; }

    // The user's choices in the tables of a loaded x64 library.
    void ExpectPatchedTables(const WText& path)
    {
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, 0);
        ASSERT_NE(nullptr, module) << "error " << GetLastError();
        const TablesView* t = TablesOf(module);
        ASSERT_NE(nullptr, t);
        EXPECT_EQ(0x00A2, VirtualKeyOf(t, 0x003A));
        EXPECT_EQ(0x00FF, VirtualKeyOf(t, 0xE05D));
        // Keys nobody reassigned keep their defaults.
        EXPECT_EQ(0x00A0, VirtualKeyOf(t, 0x002A));
        EXPECT_EQ(0x01A3, VirtualKeyOf(t, 0xE01D));
        EXPECT_EQ(0x0013, VirtualKeyOf(t, 0xE11D));
        // The keypad's decimal key (VK_DECIMAL) types a comma, plain and shifted.
        EXPECT_EQ(L',', CharacterOf(t, 0x6E, 0));
        EXPECT_EQ(L',', CharacterOf(t, 0x6E, 1));
        // Variant 1: AltGr+[ types the low double quotation mark.
        EXPECT_EQ(0x201E, CharacterOf(t, 0xDB, 3));
        FreeLibrary(module);
    }

    CInstall m_install;
    WText m_dir;
};

class LayoutRestart : public LayoutInstall
{
};

class LayoutLibraryPaths : public LayoutInstall
{
};

class LayoutItems : public LayoutInstall
{
};

class RedirectionSwitch : public LayoutInstall
{
};

} // namespace

TEST_F(LayoutLibraryPaths, SixtyFourBitSystem)
{
    GString dest32, destNative, temp32, tempNative;
    ASSERT_EQ(1, m_install.GetLayoutLibraryPaths(dest32, destNative, &temp32, &tempNative));
    EXPECT_EQ(SystemWow64Dir() + L"\\kbdklwk.dll", Wide(dest32));
    EXPECT_EQ(SystemDir() + L"\\kbdklwk.dll", Wide(destNative));
    EXPECT_EQ(Temp32(), Wide(temp32));
    EXPECT_EQ(TempNative(), Wide(tempNative));
    EXPECT_FALSE(SamePath(Wide(dest32), Wide(destNative)));

    // A folder given with its backslash gets no second one.
    m_install.m_installDir.AssignWide((const WChar*)(m_dir + L"\\").c_str());
    ASSERT_EQ(1, m_install.GetLayoutLibraryPaths(dest32, destNative, &temp32, &tempNative));
    EXPECT_EQ(Temp32(), Wide(temp32));
    EXPECT_EQ(TempNative(), Wide(tempNative));
}

TEST_F(LayoutLibraryPaths, ThirtyTwoBitSystem)
{
    m_install.m_is64BitOs = 0;
    m_install.m_nativeArch = 0;
    GString dest32, destNative, temp32, tempNative;
    tempNative.AssignUtf8("left over");
    destNative.AssignUtf8("left over");
    ASSERT_EQ(1, m_install.GetLayoutLibraryPaths(dest32, destNative, &temp32, &tempNative));
    EXPECT_EQ(SystemDir() + L"\\kbdklwk.dll", Wide(dest32));
    EXPECT_EQ(0, destNative.GetLength());
    EXPECT_EQ(Temp32(), Wide(temp32));
    EXPECT_EQ(0, tempNative.GetLength());
}

TEST_F(LayoutLibraryPaths, WhatCannotBeComposedFails)
{
    GString dest32, destNative, temp32, tempNative;
    // Only the destinations: no installation folder needed.
    m_install.m_installDir.Reset(true);
    EXPECT_EQ(1, m_install.GetLayoutLibraryPaths(dest32, destNative));
    EXPECT_EQ(SystemDir() + L"\\kbdklwk.dll", Wide(destNative));
    // A temporary copy without an installation folder would land in the drive's root.
    EXPECT_EQ(0, m_install.GetLayoutLibraryPaths(dest32, destNative, &temp32));
    EXPECT_EQ(0, temp32.GetLength());
    EXPECT_EQ(0, m_install.GetLayoutLibraryPaths(dest32, destNative, nullptr, &tempNative));

    std::map<StringId, std::string> texts = ProductTexts();
    const struct {
        StringId missing;
        uint32_t is64;
        int result;
    } cases[] = {{83, 1, 0}, {83, 0, 0}, {60, 1, 0}, {60, 0, 1}, {144, 1, 0}, {144, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.missing << " " << c.is64);
        CInstall install;
        std::map<StringId, std::string> some = texts;
        some.erase(c.missing);
        ASSERT_TRUE(LoadPayloadWithTexts(install, some));
        install.m_is64BitOs = c.is64;
        install.m_installDir.AssignWide((const WChar*)m_dir.c_str());
        EXPECT_EQ(c.result, install.GetLayoutLibraryPaths(dest32, destNative, &temp32, &tempNative));
        if (!c.result) {
            EXPECT_EQ(0, dest32.GetLength());
            EXPECT_EQ(0, destNative.GetLength());
        }
    }
}

TEST_F(RedirectionSwitch, BothFunctionsOrNone)
{
    RedirectionDisableProc disable = nullptr;
    RedirectionRevertProc revert = nullptr;
    HMODULE module = m_install.GetRedirectionSwitch(disable, revert);
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, (void*)disable);
    EXPECT_NE(nullptr, (void*)revert);
    PVOID previous = nullptr;
    disable(&previous);
    revert(previous);
    FreeLibrary(module);

    std::map<StringId, std::string> texts = ProductTexts();
    for (StringId missing : {56u, 57u, 144u}) {
        CInstall install;
        std::map<StringId, std::string> some = texts;
        some.erase(missing);
        ASSERT_TRUE(LoadPayloadWithTexts(install, some));
        disable = (RedirectionDisableProc)1;
        revert = (RedirectionRevertProc)1;
        EXPECT_EQ(nullptr, install.GetRedirectionSwitch(disable, revert)) << missing;
        EXPECT_EQ(nullptr, (void*)disable);
        EXPECT_EQ(nullptr, (void*)revert);
    }
}

TEST_F(LayoutItems, BuildsForEachSystemSetAndVariant)
{
    const struct {
        int os;
        uint16_t arch;
        uint32_t force, opt;
        int variant;
        int result, set, first, second;
    } cases[] = {
        {100, 9, 0, 0, 1, 1, 0, 11, 12}, {100, 9, 1, 0, 2, 1, 1, 11, 12},
        {63, 9, 0, 1, 0, 1, 1, 11, 12},  {61, 9, 0, 0, 0, 1, 0, 8, 10},
        {60, 9, 0, 0, 2, 1, 0, 5, 7},    {52, 9, 0, 0, 1, 1, 0, 2, 4},
        {61, 0, 0, 0, 1, 1, 0, 8, -1},   {51, 0, 1, 1, 0, 1, 1, 1, -1},
        {50, 0, 0, 0, 2, 1, 0, 0, -1},   {61, 6, 0, 0, 0, 1, 0, 8, 9},
        {100, 6, 0, 0, 0, 0, 0, -1, -1}, {100, 9, 0, 0, -1, 0, 0, -1, -1},
        {100, 9, 0, 0, 3, 0, 0, -1, -1}, {52, 5, 0, 0, 0, 0, 0, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.os << " arch " << c.arch << " variant " << c.variant);
        m_install.m_osVersion = c.os;
        m_install.m_nativeArch = c.arch;
        m_install.m_forceAltLibraries = c.force;
        m_install.m_optAltLibraries = c.opt;
        m_install.m_variant = c.variant;
        const uint8_t* first = (const uint8_t*)1;
        const uint8_t* second = (const uint8_t*)1;
        int32_t firstSize = 7, secondSize = 7;
        ASSERT_EQ(c.result, m_install.SelectLayoutItems(first, second, firstSize, secondSize));
        if (!c.result) {
            EXPECT_EQ(nullptr, first);
            EXPECT_EQ(nullptr, second);
            EXPECT_EQ(-1, firstSize);
            EXPECT_EQ(-1, secondSize);
            continue;
        }
        const PayloadItem& one = LayoutLibraryItems[c.set][c.variant][c.first];
        EXPECT_EQ(one.data, first);
        EXPECT_NE(nullptr, first);
        EXPECT_EQ((int32_t)one.storedSize, firstSize);
        if (c.second < 0) {
            EXPECT_EQ(nullptr, second);
            EXPECT_EQ(-1, secondSize);
        } else {
            const PayloadItem& two = LayoutLibraryItems[c.set][c.variant][c.second];
            EXPECT_EQ(two.data, second);
            EXPECT_EQ((int32_t)two.storedSize, secondSize);
        }
    }
    // The IA-64 slots hold no library.
    EXPECT_EQ(nullptr, LayoutLibraryItems[0][0][9].data);
}

TEST_F(LayoutInstall, WritesBothImagesAndSchedulesTheirReplacement)
{
    ASSERT_EQ(1, m_install.InstallLayoutLibraries());
    ASSERT_TRUE(FileExists(Temp32()));
    ASSERT_TRUE(FileExists(TempNative()));
    EXPECT_EQ(2, CountFiles(m_dir));
    EXPECT_TRUE(IsPendingReplace(Temp32(), SystemWow64Dir() + L"\\kbdklwk.dll"));
    EXPECT_TRUE(IsPendingReplace(TempNative(), SystemDir() + L"\\kbdklwk.dll"));

    // The x64 copy, loaded where it lies.
    ExpectPatchedTables(TempNative());

    // The x86 copy differs from its build in the five bytes the choices name: Caps Lock's low
    // byte (0x14 -> 0xA2), the Menu key's two (0x015D -> 0x00FF) and the two commas.
    std::string patched, original = ItemBytes(m_install, LayoutLibraryItems[0][1][11]);
    ASSERT_TRUE(ReadWholeFile(Temp32(), patched));
    ASSERT_EQ(original.size(), patched.size());
    std::multiset<uint8_t> written;
    for (size_t i = 0; i < patched.size(); ++i) {
        if (patched[i] != original[i])
            written.insert((uint8_t)patched[i]);
    }
    EXPECT_EQ(std::multiset<uint8_t>({0xA2, 0xFF, 0x00, ',', ','}), written);
}

TEST_F(LayoutInstall, ThirtyTwoBitSystemHasOneLibrary)
{
    m_install.m_is64BitOs = 0;
    m_install.m_nativeArch = 0;
    m_install.m_osVersion = 61;
    m_install.m_decimalKey = 1;
    ASSERT_EQ(1, m_install.InstallLayoutLibraries());
    EXPECT_EQ(1, CountFiles(m_dir));
    EXPECT_TRUE(IsPendingReplace(Temp32(), SystemDir() + L"\\kbdklwk.dll"));
    std::string patched, original = ItemBytes(m_install, LayoutLibraryItems[0][1][8]);
    ASSERT_TRUE(ReadWholeFile(Temp32(), patched));
    ASSERT_EQ(original.size(), patched.size());
    size_t changed = 0;
    for (size_t i = 0; i < patched.size(); ++i)
        changed += patched[i] != original[i];
    EXPECT_EQ(3u, changed) << "no comma this time";
}

TEST_F(LayoutInstall, NativeLibraryMissingKeepsTheFirstScheduled)
{
    // Windows 7 on IA-64: the 32-bit build exists, the native one does not.
    m_install.m_osVersion = 61;
    m_install.m_nativeArch = 6;
    EXPECT_EQ(0, m_install.InstallLayoutLibraries());
    EXPECT_TRUE(FileExists(Temp32()));
    EXPECT_FALSE(FileExists(TempNative()));
    EXPECT_TRUE(IsPendingReplace(Temp32(), SystemWow64Dir() + L"\\kbdklwk.dll"));
}

TEST_F(LayoutInstall, NothingForAnUnsupportedSystemOrVariant)
{
    const struct {
        int os;
        uint16_t arch;
        int variant;
    } cases[] = {{100, 6, 0}, {62, 5, 0}, {100, 9, -1}, {100, 9, 3}};
    for (const auto& c : cases) {
        m_install.m_osVersion = c.os;
        m_install.m_nativeArch = c.arch;
        m_install.m_variant = c.variant;
        EXPECT_EQ(0, m_install.InstallLayoutLibraries()) << c.os << " " << c.arch;
        EXPECT_EQ(0, CountFiles(m_dir));
    }
    EXPECT_FALSE(IsPendingSource(Temp32()));
}

TEST_F(LayoutInstall, BadPatternsOrItemsWriteNothing)
{
    std::map<StringId, std::string> texts = ProductTexts();
    ASSERT_EQ(11u, texts.size());
    GString dest32, destNative;
    ASSERT_EQ(1, m_install.GetLayoutLibraryPaths(dest32, destNative));
    const PayloadItem& item = LayoutLibraryItems[0][1][12];
    const struct {
        const char* what;
        StringId id;
        const char* text;   // null: missing
        int decimalKey;
        int result;
    } cases[] = {
        {"scan-code pattern of the variant missing", 148, nullptr, 0, 0},
        {"scan-code pattern in lower case", 148, "lower", 0, 0},
        {"0xE0 pattern not found", 150, "0102030405060708", 0, 0},
        {"0xE1 pattern not hexadecimal", 151, "1D00XX00", 0, 0},
        {"decimal pattern missing when a comma is wanted", 146, nullptr, 0, 0},
        {"decimal pattern missing when no comma is wanted", 146, nullptr, 1, 1},
        {"another variant's pattern missing", 147, nullptr, 0, 1},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const WText temp = m_dir + L"\\case" + std::to_wstring(index++) + L".dll";
        CInstall install;
        std::map<StringId, std::string> some = texts;
        if (!c.text) {
            some.erase(c.id);
        } else if (std::string(c.text) == "lower") {
            for (char& ch : some[c.id])
                ch = (char)tolower((unsigned char)ch);
        } else {
            some[c.id] = c.text;
        }
        ASSERT_TRUE(LoadPayloadWithTexts(install, some));
        install.m_is64BitOs = 1;
        install.m_variant = 1;
        install.m_decimalKey = c.decimalKey;
        EXPECT_EQ(c.result, install.PatchLayoutLibrary(destNative.GetWide(),
                                                       (const WChar*)temp.c_str(), item.data,
                                                       (int32_t)item.storedSize));
        EXPECT_EQ(c.result == 1, FileExists(temp));
        EXPECT_EQ(c.result == 1, IsPendingSource(temp));
    }

    // A damaged item: one byte of its encrypted bytes changed.
    std::vector<uint8_t> damaged(item.data, item.data + item.storedSize);
    damaged[damaged.size() / 2] ^= 0x40;
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(destNative.GetWide(), (const WChar*)TempNative().c_str(),
                                              damaged.data(), (int32_t)damaged.size()));
    // The item's size wrong.
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(destNative.GetWide(), (const WChar*)TempNative().c_str(),
                                              item.data, (int32_t)item.storedSize - 8));
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(destNative.GetWide(), (const WChar*)TempNative().c_str(),
                                              item.data, -1));
    EXPECT_FALSE(FileExists(TempNative()));
    // No path, no item.
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(nullptr, (const WChar*)TempNative().c_str(), item.data,
                                              (int32_t)item.storedSize));
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(destNative.GetWide(), nullptr, item.data,
                                              (int32_t)item.storedSize));
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(destNative.GetWide(), (const WChar*)TempNative().c_str(),
                                              nullptr, 100));
    // A temporary path in a folder that does not exist: nothing written, nothing scheduled.
    WText nowhere = m_dir + L"\\missing\\kbdklwk.dll64";
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(destNative.GetWide(), (const WChar*)nowhere.c_str(),
                                              item.data, (int32_t)item.storedSize));
    EXPECT_FALSE(IsPendingSource(nowhere));
    // An empty destination: the copy is written, but no replacement can be scheduled.
    EXPECT_EQ(0, m_install.PatchLayoutLibrary(WSTR(""), (const WChar*)TempNative().c_str(), item.data,
                                              (int32_t)item.storedSize));
    EXPECT_TRUE(FileExists(TempNative()));
    EXPECT_FALSE(IsPendingSource(TempNative()));
}

TEST_F(LayoutRestart, TheRestartPutsThePatchedLibrariesInPlace)
{
    const WText native = SystemDir() + L"\\kbdklwk.dll";
    const WText wow64 = SystemWow64Dir() + L"\\kbdklwk.dll";
    ASSERT_FALSE(FileExists(native));
    ASSERT_EQ(1, m_install.InstallLayoutLibraries());
    std::string image32, imageNative;
    ASSERT_TRUE(ReadWholeFile(Temp32(), image32));
    ASSERT_TRUE(ReadWholeFile(TempNative(), imageNative));
    ASSERT_TRUE(IsPendingReplace(TempNative(), native));

    // The simulated restart carries out the pending renames and clears the list.
    ASSERT_EQ(0, RunAndWait(L"wineboot.exe -r"));
    EXPECT_FALSE(IsPendingSource(Temp32()));
    EXPECT_FALSE(IsPendingSource(TempNative()));
    EXPECT_FALSE(FileExists(Temp32()));
    EXPECT_FALSE(FileExists(TempNative()));
    std::string placed32, placedNative;
    ASSERT_TRUE(ReadWholeFile(wow64, placed32));
    ASSERT_TRUE(ReadWholeFile(native, placedNative));
    EXPECT_TRUE(placed32 == image32);
    EXPECT_TRUE(placedNative == imageNative);

    // The system's copy, loaded by its name in the system folder.
    ExpectPatchedTables(native);
    HMODULE byName = LoadLibraryExW(L"kbdklwk.dll", nullptr, 0);
    ASSERT_NE(nullptr, byName);
    EXPECT_NE(nullptr, TablesOf(byName));
    FreeLibrary(byName);
}
