// The installation record against Wine's registry: where it lands, what each mode writes, how
// a partial or damaged record is read, and what an uninstallation leaves of it.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

// The record's keys and the layout key, with names of their own so that nothing of the
// product is touched.
const char kVendor[] = "KlawikRecordTest";
const wchar_t kVendorPath[] = L"SOFTWARE\\KlawikRecordTest";
const wchar_t kRecordPath[] = L"SOFTWARE\\KlawikRecordTest\\Keyboard Layout";
const wchar_t kSharedPath[] = L"SOFTWARE\\KlawikRecordTest\\Keyboard Layout\\Shared\\Guide";
const wchar_t kProductPath[] = L"SOFTWARE\\KlawikRecordTest\\Keyboard Layout\\Products\\Layout";
const wchar_t kLayoutPath[] = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\a7e50415";

// The 64-bit build reaches the record where the 32-bit product puts it.
const REGSAM kView32 = KEY_WOW64_32KEY;

enum Where { kRecord, kShared, kProduct };

const wchar_t* PathOf(Where where)
{
    return where == kRecord ? kRecordPath : where == kShared ? kSharedPath : kProductPath;
}

std::string ValueName(StringId id)
{
    return "Value " + std::to_string(id);
}

WText WideName(StringId id)
{
    std::string n = ValueName(id);
    return WText(n.begin(), n.end());
}

TextList RecordTexts()
{
    TextList texts = {
        {7, "SOFTWARE"},   {8, kVendor},     {10, "Keyboard Layout"}, {24, "Shared"},
        {23, "Guide"},     {36, "Products"}, {89, "Layout"},          {12, "%04X:%s"},
        {3, "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts"},
        {85, "a7e50415"},  {17, "Layout Text"}, {18, "Layout File"}, {19, "Layout Id"},
        {20, "Layout Display Name"},
        {81, "Record test layout"}, {83, "kbdrtest.dll"}, {84, "0c11"},
    };
    const StringId values[] = {11, 21, 72, 73, 74, 75, 76, 31, 32, 33, 79, 34, 25, 26, 27,
                               28, 29, 37, 38, 39, 155, 156, 157, 158, 159};
    for (StringId id : values)
        texts.push_back({id, ValueName(id)});
    return texts;
}

// One value of the record as the test knows it: where, its name, whether it is a number and
// whether the reading stops without it, and the installer's fields it is read into and
// written from.
struct Field
{
    Where where;
    StringId id;
    bool number;
    bool required;
    GString CInstall::*recorded;   // text read into
    GString CInstall::*composed;   // text written from
    uint32_t CInstall::*count;     // number read into
};

// In the order the record is read.
const Field kFields[] = {
    {kRecord, 11, false, true, &CInstall::m_regPrevLayout, nullptr, nullptr},
    {kRecord, 21, true, true, nullptr, nullptr, &CInstall::m_installCount},
    {kRecord, 72, false, true, &CInstall::m_regFileC, &CInstall::m_fileC, nullptr},
    {kRecord, 73, false, false, &CInstall::m_regFileCMenuLink, &CInstall::m_fileCMenuLink, nullptr},
    {kRecord, 74, false, false, &CInstall::m_regFileCDesktopLink, &CInstall::m_fileCDesktopLink, nullptr},
    {kRecord, 75, false, true, &CInstall::m_regTextMenuFile, &CInstall::m_textMenuFile, nullptr},
    {kRecord, 76, false, false, &CInstall::m_regTextDesktopFile, &CInstall::m_textDesktopFile, nullptr},
    {kRecord, 31, false, true, &CInstall::m_regFileB, &CInstall::m_fileB, nullptr},
    {kRecord, 32, false, true, &CInstall::m_regFileBMenuLink, &CInstall::m_fileBMenuLink, nullptr},
    {kRecord, 33, false, false, &CInstall::m_regFileBDesktopLink, &CInstall::m_fileBDesktopLink, nullptr},
    {kRecord, 79, false, true, &CInstall::m_regFileD, &CInstall::m_fileD, nullptr},
    {kRecord, 34, true, true, nullptr, nullptr, &CInstall::m_regVersion1},
    {kShared, 25, false, true, &CInstall::m_regFileA, &CInstall::m_fileA, nullptr},
    {kShared, 26, false, true, &CInstall::m_regFileAMenuLink, &CInstall::m_fileAMenuLink, nullptr},
    {kShared, 27, false, false, &CInstall::m_regFileADesktopLink, &CInstall::m_fileADesktopLink, nullptr},
    {kShared, 28, true, true, nullptr, nullptr, &CInstall::m_regVersion2},
    {kShared, 29, true, true, nullptr, nullptr, &CInstall::m_regSharedCount},
    {kProduct, 37, false, true, &CInstall::m_regSelfCopy, &CInstall::m_selfCopy, nullptr},
    {kProduct, 38, false, true, &CInstall::m_regSelfLink, &CInstall::m_selfLink, nullptr},
    {kProduct, 39, true, true, nullptr, nullptr, &CInstall::m_installedVersion},
};

const Field* FieldOf(StringId id)
{
    for (const Field& f : kFields) {
        if (f.id == id)
            return &f;
    }
    return nullptr;
}

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

HKEY OpenRaw(const wchar_t* path, REGSAM view, REGSAM access = KEY_READ)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access | view, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool KeyExists(const wchar_t* path, REGSAM view = kView32)
{
    HKEY key = OpenRaw(path, view);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

// Type and bytes of a value; type REG_NONE when it is missing.
struct RawValue
{
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;

    WText Text() const
    {
        WText text((const wchar_t*)bytes.data(), bytes.size() / 2);
        while (!text.empty() && text.back() == 0)
            text.pop_back();
        return text;
    }
    uint32_t Number() const
    {
        uint32_t value = 0;
        if (bytes.size() == 4)
            memcpy(&value, bytes.data(), 4);
        return value;
    }
};

RawValue ReadRaw(const wchar_t* path, StringId id)
{
    RawValue value;
    HKEY key = OpenRaw(path, kView32);
    if (!key)
        return value;
    WText name = WideName(id);
    DWORD size = 0;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, value.bytes.data(), &size) ==
            ERROR_SUCCESS)
            value.type = type;
    }
    RegCloseKey(key);
    return value;
}

bool PutRaw(const wchar_t* path, StringId id, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE | kView32, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, WideName(id).c_str(), 0, type, (const BYTE*)data, size) ==
              ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool PutNumber(const wchar_t* path, StringId id, uint32_t value)
{
    return PutRaw(path, id, REG_DWORD, &value, 4);
}

void DeleteRaw(const wchar_t* path, StringId id)
{
    HKEY key = OpenRaw(path, kView32, KEY_WRITE);
    if (key) {
        RegDeleteValueW(key, WideName(id).c_str());
        RegCloseKey(key);
    }
}

// The text value 11 holds: the user's language and the active layout.
WText PreviousLayout()
{
    wchar_t name[KL_NAMELENGTH] = {};
    GetKeyboardLayoutNameW(name);
    wchar_t text[64];
    swprintf(text, 64, L"%04X:%ls", (unsigned)GetUserDefaultLangID(), name);
    return text;
}

// A distinct path for every composed member.
void Compose(CInstall& install)
{
    for (const Field& f : kFields) {
        if (f.composed) {
            WText text = L"C:\\Composed\\" + WideName(f.id) + L" \x017C.lnk";
            (install.*f.composed).AssignWide(text.c_str());
        }
    }
}

// The layout key as the older version left it, in the 64-bit view; a null text leaves its
// value out.
bool PutLayoutKey(const wchar_t* text, const wchar_t* id, const wchar_t* file)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLayoutPath, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const wchar_t* names[] = {L"Layout Text", L"Layout Id", L"Layout File", L"Layout Display Name"};
    const wchar_t* texts[] = {text, id, file, L"@kbdrtest.dll,-1000"};
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        if (texts[i])
            ok = ok && RegSetValueExW(key, names[i], 0, REG_SZ, (const BYTE*)texts[i],
                                      (DWORD)(wcslen(texts[i]) + 1) * 2) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

class Record : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clean();
        ASSERT_TRUE(LoadTexts(m_install, RecordTexts()));
        Compose(m_install);
    }
    void TearDown() override { Clean(); }

    static void Clean()
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\KlawikRecordTest");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kVendorPath);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLayoutPath);
    }

    // A complete record as a first installation with desktop links writes it.
    void WriteComplete(CInstall& install)
    {
        install.m_installCount = 1;
        install.m_regSharedCount = 1;
        install.m_madeFileADesktopLink = 1;
        install.m_madeFileBDesktopLink = 1;
        install.m_madeFileCDesktopLink = 1;
        install.m_variant = 2;
        install.m_decimalKey = 0;
        install.m_forceAltLibraries = 1;
        install.m_optAltLibraries = 0;
        ASSERT_EQ(1, install.WriteInstallRecord());
    }

    CInstall m_install;
};

} // namespace

TEST_F(Record, FirstInstallationLandsInThe32BitView)
{
    WriteComplete(m_install);
    EXPECT_TRUE(KeyExists(L"SOFTWARE\\Wow6432Node\\KlawikRecordTest\\Keyboard Layout", KEY_WOW64_64KEY))
        << "under Wow6432Node";
    EXPECT_FALSE(KeyExists(kVendorPath, KEY_WOW64_64KEY)) << "nothing in the 64-bit view";

    for (const Field& f : kFields) {
        RawValue value = ReadRaw(PathOf(f.where), f.id);
        if (f.number) {
            EXPECT_EQ((DWORD)REG_DWORD, value.type) << f.id;
            uint32_t want = f.id == 21 ? 1 : f.id == 29 ? 1 : 190;
            EXPECT_EQ(want, value.Number()) << f.id;
        } else {
            EXPECT_EQ((DWORD)REG_SZ, value.type) << f.id;
            WText want = f.composed ? Wide(m_install.*f.composed) : PreviousLayout();
            EXPECT_TRUE(want == value.Text()) << f.id << ": " << Utf8(value.Text());
        }
    }
    struct Option {
        StringId id;
        uint32_t value;
    } options[] = {{158, 2}, {159, 0}, {155, 1}, {156, 0}};
    for (const Option& o : options) {
        RawValue value = ReadRaw(kProductPath, o.id);
        EXPECT_EQ((DWORD)REG_DWORD, value.type) << o.id;
        EXPECT_EQ(o.value, value.Number()) << o.id;
    }
    RawValue keys = ReadRaw(kProductPath, 157);
    EXPECT_EQ((DWORD)REG_BINARY, keys.type) << "no reassignments: an empty value";
    EXPECT_EQ(0u, keys.bytes.size());
}

TEST_F(Record, ReadBackAsWritten)
{
    KeyMapEntry* capsLock = m_install.FindKey(0x3A);
    KeyMapEntry* rightAlt = m_install.FindKey(0xE038);
    ASSERT_TRUE(capsLock && rightAlt);
    capsLock->virtualKey = 0x00A2;
    rightAlt->virtualKey = 0x00FF;
    WriteComplete(m_install);

    CInstall read;
    ASSERT_TRUE(LoadTexts(read, RecordTexts()));
    EXPECT_EQ(1, read.ReadInstallRecord());
    for (const Field& f : kFields) {
        if (f.recorded && f.composed) {
            EXPECT_TRUE(Wide(read.*f.recorded) == Wide(m_install.*f.composed)) << f.id;
        }
    }
    EXPECT_TRUE(Wide(read.m_regPrevLayout) == PreviousLayout());
    EXPECT_EQ(1u, read.m_installCount);
    EXPECT_EQ(1u, read.m_regSharedCount);
    EXPECT_EQ(190u, read.m_regVersion1);
    EXPECT_EQ(190u, read.m_regVersion2);
    EXPECT_EQ(190u, read.m_installedVersion);
    EXPECT_EQ(2, read.m_variant);
    EXPECT_EQ(0, read.m_decimalKey);
    EXPECT_EQ(1u, read.m_forceAltLibraries);
    EXPECT_EQ(0u, read.m_optAltLibraries);
    EXPECT_EQ(0x00A2, read.FindKey(0x3A)->virtualKey);
    EXPECT_EQ(0x00FF, read.FindKey(0xE038)->virtualKey);
    EXPECT_EQ(0, read.FindKey(0x1E)->virtualKey);
}

// Which values a normal write stores follows what the record held and what the run made.
TEST_F(Record, ValuesWrittenFollowTheRecordAndTheRun)
{
    struct Case {
        const char* what;
        bool prevRecorded, readMeRecorded, madeC, textRecorded;
        uint32_t chartVersion;
        bool madeB, madeA;
        std::vector<StringId> written;   // every other value of the three keys stays absent
    } cases[] = {
        {"first installation, no desktop links", false, false, false, false, 0, false, false,
         {11, 21, 73, 72, 75, 76, 79, 31, 32, 34, 25, 26, 28, 29, 37, 38, 39}},
        {"reinstallation, everything recorded", true, true, false, true, 190, false, false,
         {21, 25, 26, 28, 29, 37, 38, 39}},
        {"reinstallation making the desktop links", true, true, true, true, 190, true, true,
         {21, 74, 25, 26, 27, 28, 29, 37, 38, 39}},
        {"older chart", true, true, false, true, 189, true, false,
         {21, 31, 32, 33, 34, 25, 26, 28, 29, 37, 38, 39}},
    };
    for (const Case& c : cases) {
        Clean();
        CInstall install;
        ASSERT_TRUE(LoadTexts(install, RecordTexts()));
        Compose(install);
        if (c.prevRecorded)
            install.m_regPrevLayout.AssignWide(L"0415:00000415");
        if (c.readMeRecorded)
            install.m_regFileCMenuLink.AssignWide(L"C:\\old.lnk");
        if (c.textRecorded)
            install.m_regTextMenuFile.AssignWide(L"C:\\old.txt");
        install.m_regVersion1 = c.chartVersion;
        install.m_madeFileCDesktopLink = c.madeC;
        install.m_madeFileBDesktopLink = c.madeB;
        install.m_madeFileADesktopLink = c.madeA;
        install.m_installCount = 3;
        install.m_regSharedCount = 2;
        EXPECT_EQ(1, install.WriteInstallRecord()) << c.what;
        for (const Field& f : kFields) {
            bool want = false;
            for (StringId id : c.written)
                want = want || id == f.id;
            RawValue value = ReadRaw(PathOf(f.where), f.id);
            EXPECT_EQ(want, value.type != REG_NONE) << c.what << ": value " << f.id;
        }
        EXPECT_EQ(3u, ReadRaw(kRecordPath, 21).Number()) << c.what;
        EXPECT_EQ(2u, ReadRaw(kSharedPath, 29).Number()) << c.what;
        for (StringId id : {155, 156, 158, 159, 157})
            EXPECT_NE((DWORD)REG_NONE, ReadRaw(kProductPath, id).type) << c.what << ": " << id;
    }
}

TEST_F(Record, SettingsOnlyRewritesTheOptionsAlone)
{
    m_install.m_settingsOnly = 1;
    EXPECT_EQ(0, m_install.WriteInstallRecord()) << "no record to change";
    EXPECT_FALSE(KeyExists(kVendorPath)) << "nothing is created";

    CInstall first;
    ASSERT_TRUE(LoadTexts(first, RecordTexts()));
    Compose(first);
    WriteComplete(first);
    std::vector<RawValue> before;
    for (const Field& f : kFields)
        before.push_back(ReadRaw(PathOf(f.where), f.id));

    // Another run with other paths, counts and options, changing settings only.
    CInstall change;
    ASSERT_TRUE(LoadTexts(change, RecordTexts()));
    change.m_settingsOnly = 1;
    change.m_installCount = 7;
    change.m_regSharedCount = 7;
    change.m_madeFileADesktopLink = 1;
    change.m_variant = 1;
    change.m_decimalKey = 1;
    change.m_forceAltLibraries = 0;
    change.m_optAltLibraries = 1;
    change.FindKey(0x1D)->virtualKey = 0x0014;
    EXPECT_EQ(1, change.WriteInstallRecord());
    for (size_t i = 0; i < sizeof kFields / sizeof kFields[0]; ++i) {
        RawValue after = ReadRaw(PathOf(kFields[i].where), kFields[i].id);
        EXPECT_EQ(before[i].type, after.type) << kFields[i].id;
        EXPECT_TRUE(before[i].bytes == after.bytes) << kFields[i].id;
    }
    EXPECT_EQ(1u, ReadRaw(kProductPath, 158).Number());
    EXPECT_EQ(1u, ReadRaw(kProductPath, 159).Number());
    EXPECT_EQ(0u, ReadRaw(kProductPath, 155).Number());
    EXPECT_EQ(1u, ReadRaw(kProductPath, 156).Number());
    RawValue keys = ReadRaw(kProductPath, 157);
    const uint8_t record[] = {0x1D, 0x00, 0x14, 0x00};
    EXPECT_TRUE(keys.bytes == std::vector<uint8_t>(record, record + 4));

    // Without the product key there is nothing to change.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\KlawikRecordTest\\Keyboard Layout\\Products");
    EXPECT_EQ(0, change.WriteInstallRecord());
    EXPECT_FALSE(KeyExists(kProductPath));
}

// A value missing from a record: the fields read before it keep what they got; a required one
// ends the reading, an optional one does not.
TEST_F(Record, PartialRecordReadUpToTheFirstMissingRequiredValue)
{
    const size_t count = sizeof kFields / sizeof kFields[0];
    for (size_t missing = 0; missing < count; ++missing) {
        Clean();
        CInstall writer;
        ASSERT_TRUE(LoadTexts(writer, RecordTexts()));
        Compose(writer);
        WriteComplete(writer);
        const Field& gone = kFields[missing];
        DeleteRaw(PathOf(gone.where), gone.id);

        CInstall read;
        ASSERT_TRUE(LoadTexts(read, RecordTexts()));
        read.ReadInstallRecord();
        for (size_t i = 0; i < count; ++i) {
            const Field& f = kFields[i];
            bool filled = i < missing || (i > missing && !gone.required);
            if (i == missing)
                filled = false;
            if (f.recorded) {
                EXPECT_EQ(filled, (read.*f.recorded).GetLength() > 0)
                    << "without " << gone.id << ": " << f.id;
            } else {
                EXPECT_EQ(filled, read.*f.count != 0) << "without " << gone.id << ": " << f.id;
            }
        }
        // The options come last: read only when nothing required was missing.
        EXPECT_EQ(gone.required ? -1 : 2, read.m_variant) << "without " << gone.id;
    }
}

TEST_F(Record, DamagedValuesCountAsMissing)
{
    struct Case {
        const char* what;
        StringId id;
        DWORD type;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"count as text", 21, REG_SZ, {'1', 0, 0, 0}},
        {"count of two bytes", 21, REG_DWORD, {1, 0}},
        {"count as binary", 21, REG_BINARY, {1, 0, 0, 0}},
        {"path as expandable text", 72, REG_EXPAND_SZ, {'C', 0, 0, 0}},
        {"path as number", 75, REG_DWORD, {1, 0, 0, 0}},
        {"version as text", 34, REG_SZ, {'1', 0, '9', 0, '0', 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Clean();
        WriteComplete(m_install);
        const Field* f = FieldOf(c.id);
        ASSERT_TRUE(f);
        DeleteRaw(PathOf(f->where), c.id);
        ASSERT_TRUE(PutRaw(PathOf(f->where), c.id, c.type, c.bytes.data(), (DWORD)c.bytes.size()));
        CInstall read;
        ASSERT_TRUE(LoadTexts(read, RecordTexts()));
        read.ReadInstallRecord();
        EXPECT_EQ(0u, read.m_installedVersion) << c.what;
        EXPECT_EQ(0, read.m_regSelfCopy.GetLength()) << c.what;
        EXPECT_EQ(0, read.m_regFileA.GetLength()) << c.what;
    }
    // Damaged options keep the defaults; damaged key assignments change nothing.
    Clean();
    WriteComplete(m_install);
    ASSERT_TRUE(PutRaw(kProductPath, 158, REG_SZ, L"1", 4));
    const uint8_t odd[] = {0x3A, 0x00, 0xA2, 0x00, 0x1D};
    ASSERT_TRUE(PutRaw(kProductPath, 157, REG_BINARY, odd, sizeof odd));
    CInstall read;
    ASSERT_TRUE(LoadTexts(read, RecordTexts()));
    EXPECT_EQ(1, read.ReadInstallRecord());
    EXPECT_EQ(-1, read.m_variant);
    EXPECT_EQ(0x00A2, read.FindKey(0x3A)->virtualKey) << "whole records are taken";
    EXPECT_EQ(0, read.FindKey(0x1D)->virtualKey) << "the broken tail is not";
}

TEST_F(Record, OptionsTakenOnlyInRange)
{
    struct Case {
        StringId id;
        uint32_t value;
        bool taken;
    } cases[] = {
        {158, 0, true}, {158, 2, true}, {158, 3, false}, {158, 0xFFFFFFFFu, false},
        {159, 1, true}, {159, 2, false},
        {155, 1, true}, {155, 2, false},
        {156, 1, true}, {156, 0x80000000u, false},
    };
    for (const Case& c : cases) {
        Clean();
        WriteComplete(m_install);
        ASSERT_TRUE(PutNumber(kProductPath, c.id, c.value));
        CInstall read;
        ASSERT_TRUE(LoadTexts(read, RecordTexts()));
        read.m_variant = 1;
        read.m_decimalKey = 1;
        read.m_forceAltLibraries = 0;
        read.m_optAltLibraries = 0;
        ASSERT_EQ(1, read.ReadInstallRecord());
        uint32_t got = c.id == 158 ? (uint32_t)read.m_variant
                     : c.id == 159 ? (uint32_t)read.m_decimalKey
                     : c.id == 155 ? read.m_forceAltLibraries
                                   : read.m_optAltLibraries;
        uint32_t before = c.id == 158 || c.id == 159 ? 1 : 0;
        EXPECT_EQ(c.taken ? c.value : before, got) << c.id << " = " << c.value;
    }
}

TEST_F(Record, MissingKeysOfTheRecord)
{
    // Without the shared-document key the product key is still read.
    WriteComplete(m_install);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\KlawikRecordTest\\Keyboard Layout\\Shared");
    CInstall read;
    ASSERT_TRUE(LoadTexts(read, RecordTexts()));
    EXPECT_EQ(1, read.ReadInstallRecord());
    EXPECT_EQ(190u, read.m_installedVersion);
    EXPECT_EQ(0, read.m_regFileA.GetLength());
    EXPECT_EQ(0u, read.m_regSharedCount);
    EXPECT_EQ(2, read.m_variant);

    // Without the product key nothing is installed, but the rest was read.
    Clean();
    WriteComplete(m_install);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\KlawikRecordTest\\Keyboard Layout\\Products");
    CInstall noProduct;
    ASSERT_TRUE(LoadTexts(noProduct, RecordTexts()));
    EXPECT_EQ(0, noProduct.ReadInstallRecord());
    EXPECT_EQ(1u, noProduct.m_installCount);
    EXPECT_GT(noProduct.m_regFileA.GetLength(), 0);
    EXPECT_EQ(-1, noProduct.m_variant);

    // No record at all.
    Clean();
    CInstall none;
    ASSERT_TRUE(LoadTexts(none, RecordTexts()));
    none.m_installedVersion = 77;
    EXPECT_EQ(0, none.ReadInstallRecord());
    EXPECT_EQ(0u, none.m_installedVersion);
    EXPECT_EQ(0u, none.m_installCount);
}

// Without a record of this version, the older version is recognised by its layout key, which
// is read in the 64-bit view.
TEST_F(Record, OlderInstallationByItsLayoutKey)
{
    struct Case {
        const char* what;
        const wchar_t* text;   // value 17
        const wchar_t* id;     // value 19
        const wchar_t* file;   // value 18
        bool older;
    } cases[] = {
        {"all three", L"Record test layout", L"0c11", L"kbdrtest.dll", true},
        {"another name", L"Record test layout 2", L"0c11", L"kbdrtest.dll", false},
        {"another id", L"Record test layout", L"0C11", L"kbdrtest.dll", false},
        {"another file", L"Record test layout", L"0c11", L"kbdrtest", false},
        {"no file", L"Record test layout", L"0c11", nullptr, false},
    };
    for (const Case& c : cases) {
        Clean();
        ASSERT_TRUE(PutLayoutKey(c.text, c.id, c.file));
        CInstall read;
        ASSERT_TRUE(LoadTexts(read, RecordTexts()));
        read.m_osVersion = 61;
        EXPECT_EQ(c.older ? 1 : 0, read.ReadInstallRecord()) << c.what;
        EXPECT_EQ(c.older ? 130u : 0u, read.m_installedVersion) << c.what;
    }

    // A record of this version wins over the layout key; one whose chart version is missing
    // leaves the decision to the layout key.
    Clean();
    ASSERT_TRUE(PutLayoutKey(L"Record test layout", L"0c11", L"kbdrtest.dll"));
    WriteComplete(m_install);
    CInstall current;
    ASSERT_TRUE(LoadTexts(current, RecordTexts()));
    EXPECT_EQ(1, current.ReadInstallRecord());
    EXPECT_EQ(190u, current.m_installedVersion);
    DeleteRaw(kRecordPath, 34);
    CInstall partial;
    ASSERT_TRUE(LoadTexts(partial, RecordTexts()));
    EXPECT_EQ(1, partial.ReadInstallRecord());
    EXPECT_EQ(130u, partial.m_installedVersion);
    EXPECT_EQ(0, partial.m_regSelfCopy.GetLength());

    // The product's texts must be there to compare with: a missing text matches nothing.
    CInstall noTexts;
    ASSERT_TRUE(LoadTexts(noTexts, {{3, "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts"},
                                    {85, "a7e50415"}, {17, "Layout Text"}, {18, "Layout File"},
                                    {19, "Layout Id"}, {83, "kbdrtest.dll"}, {84, "0c11"}}));
    EXPECT_EQ(0, noTexts.ReadInstallRecord());
}

// What an uninstallation leaves of the record, by the counts it leaves behind.
TEST_F(Record, RemovalFollowsTheCounts)
{
    struct Case {
        uint32_t installCount, sharedCount;   // after this installation was taken off
        bool recordValues, shared, vendor;
    } cases[] = {
        {0, 0, false, false, false},   // the last installation: everything goes
        {1, 0, true, false, true},     // another installation shares the record
        {0, 1, false, true, true},     // another one uses document A: its key keeps the record key
        {2, 3, true, true, true},
    };
    for (const Case& c : cases) {
        Clean();
        CInstall writer;
        ASSERT_TRUE(LoadTexts(writer, RecordTexts()));
        Compose(writer);
        WriteComplete(writer);
        CInstall remove;
        ASSERT_TRUE(LoadTexts(remove, RecordTexts()));
        ASSERT_EQ(1, remove.ReadInstallRecord());
        remove.m_installCount = c.installCount;
        remove.m_regSharedCount = c.sharedCount;
        EXPECT_EQ(1, remove.RemoveInstallRecord());
        const char* what = c.recordValues ? "record kept" : "record emptied";
        EXPECT_FALSE(KeyExists(kProductPath)) << what;
        EXPECT_FALSE(KeyExists(L"SOFTWARE\\KlawikRecordTest\\Keyboard Layout\\Products")) << what;
        EXPECT_EQ(c.vendor, KeyExists(kVendorPath)) << c.installCount << "/" << c.sharedCount;
        EXPECT_EQ(c.shared, KeyExists(kSharedPath)) << c.installCount << "/" << c.sharedCount;
        for (const Field& f : kFields) {
            RawValue value = ReadRaw(PathOf(f.where), f.id);
            bool want = f.where == kRecord ? c.recordValues : f.where == kShared ? c.shared : false;
            EXPECT_EQ(want, value.type != REG_NONE) << c.installCount << "/" << c.sharedCount
                                                     << ": value " << f.id;
        }
        if (c.recordValues) {
            EXPECT_EQ(c.installCount, ReadRaw(kRecordPath, 21).Number());
        }
        if (c.shared) {
            EXPECT_EQ(c.sharedCount, ReadRaw(kSharedPath, 29).Number());
        }
    }
}

TEST_F(Record, RemovalKeepsOtherProducts)
{
    WriteComplete(m_install);
    const wchar_t* other = L"SOFTWARE\\KlawikRecordTest\\Keyboard Layout\\Products\\Other";
    ASSERT_TRUE(PutNumber(other, 39, 120));
    CInstall remove;
    ASSERT_TRUE(LoadTexts(remove, RecordTexts()));
    ASSERT_EQ(1, remove.ReadInstallRecord());
    remove.m_installCount = 0;
    remove.m_regSharedCount = 0;
    EXPECT_EQ(1, remove.RemoveInstallRecord());
    EXPECT_FALSE(KeyExists(kProductPath));
    EXPECT_EQ(120u, ReadRaw(other, 39).Number()) << "another product's key stays";
    EXPECT_FALSE(KeyExists(kSharedPath));
    EXPECT_EQ((DWORD)REG_NONE, ReadRaw(kRecordPath, 21).type);

    // Without a product key there is nothing to remove.
    Clean();
    EXPECT_EQ(0, remove.RemoveInstallRecord());
    WriteComplete(m_install);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\KlawikRecordTest\\Keyboard Layout\\Products");
    EXPECT_EQ(0, remove.RemoveInstallRecord());
    EXPECT_EQ(1u, ReadRaw(kRecordPath, 21).Number()) << "the counts stay as they were";
}
