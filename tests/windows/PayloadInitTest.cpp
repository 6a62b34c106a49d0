// The installer object with the test payload linked in (tests/windows/payload): Init, the
// three-level lookup and text items.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "ItemBuilder.h"
#include "app/Install.h"
#include "payload/PayloadItems.h"

namespace {

std::wstring Wide(const GString& s)
{
    return std::wstring(s.WideAt(0), (size_t)s.GetLength());
}

std::string Narrow(const GString& s)
{
    return std::string(s.NarrowAt(0), (size_t)s.GetLength());
}

class Installer : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_install.Init(GetModuleHandleW(nullptr))); }

    CInstall m_install;
};

class PayloadInit : public Installer
{
};

class GetString : public Installer
{
};

class TextItem : public Installer
{
};

const char kTextContent[] = "Line one\r\nLinia druga: \xC5\xBC\xC3\xB3\xC5\x82w\r\n";

} // namespace

TEST_F(PayloadInit, LoadsKeyBlockAndAllFourTables)
{
    EXPECT_NE(m_install.m_guard.Data(), nullptr);
    EXPECT_EQ(m_install.m_baseStrings.Count(), 8);
    EXPECT_EQ(m_install.m_installStrings.Count(), 3);
    EXPECT_EQ(m_install.m_langStrings[0].Count(), 6);
    EXPECT_EQ(m_install.m_langStrings[1].Count(), 2);
    EXPECT_NE(m_install.m_wizard, nullptr);
    EXPECT_EQ(m_install.m_hInstance, GetModuleHandleW(nullptr));
}

// Steps that read texts during Init see language 0: string 86 "0419", and the needle of
// string 88 first found in string 114.
TEST_F(PayloadInit, DefaultsComeFromLanguageZeroTexts)
{
    EXPECT_EQ(m_install.m_langIndex, 0u);
    EXPECT_EQ(m_install.m_defaultLangId, 0x0419);
    EXPECT_EQ(m_install.m_variant, 1);
}

TEST_F(PayloadInit, FreePayloadReleasesTablesAndKey)
{
    GString s;
    ASSERT_TRUE(m_install.GetString(1, s));
    m_install.FreePayload();
    EXPECT_EQ(m_install.m_guard.Data(), nullptr);
    const StringId ids[] = {1, 2, 3, 86};
    for (StringId id : ids)
        EXPECT_FALSE(m_install.GetString(id, s)) << id;
    EXPECT_EQ(s.GetLength(), 0);
    m_install.FreePayload();   // twice is harmless
}

// The first table that has the id wins: the interface language's, the base, the installer's.
TEST_F(GetString, ThreeLevelsInOrder)
{
    struct Case
    {
        int lang;
        StringId id;
        const wchar_t* expected;   // null: no table has it
    };
    const Case cases[] = {
        {0, 1, L"language 0 one"},
        {1, 1, L"language 1 one"},
        {0, 2, L"base two"},
        {1, 2, L"base two"},
        {0, 3, L"install three"},
        {1, 3, L"install three"},
        {1, 6, L"only in language 1"},
        {0, 6, nullptr},
        {0, 5, L"Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105 ja\u017A\u0144"},
        {1, 5, nullptr},
        {0, 200, L""},
        {0, 0x7FFFFFFF, L"below the high bit"},
        {0, 0x80000000u, L"at the high bit"},
        {1, 0xFFFFFFFFu, L"last id"},
        {0, 0, nullptr},
        {0, 999, nullptr},
        {1, 0xFFFFFFFEu, nullptr},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_install.SetLanguageIndex(c.lang));
        GString out;
        out.AssignUtf8("left over");
        bool found = m_install.GetString(c.id, out);
        EXPECT_EQ(found, c.expected != nullptr) << "lang " << c.lang << " id " << c.id;
        if (c.expected) {
            EXPECT_TRUE(out.IsWide()) << c.id;
            EXPECT_EQ(Wide(out), c.expected) << "lang " << c.lang << " id " << c.id;
        }
        EXPECT_EQ(out.GetLength(), c.expected ? (int)wcslen(c.expected) : 0) << c.id;
    }
}

// CInstallBase stops after the base table; CInstall goes on to the installer table.
TEST_F(GetString, BaseLookupStopsBeforeInstallerTable)
{
    EXPECT_EQ(m_install.CInstallBase::FindString(3), nullptr);
    EXPECT_NE(m_install.FindString(3), nullptr);
    EXPECT_EQ(m_install.CInstallBase::FindString(2), m_install.m_baseStrings.Find(2));
}

TEST_F(GetString, LanguageIndexSwitchesAtOnce)
{
    GString out;
    ASSERT_TRUE(m_install.GetString(1, out));
    EXPECT_EQ(Wide(out), L"language 0 one");
    EXPECT_TRUE(m_install.SetLanguageIndex(1));
    ASSERT_TRUE(m_install.GetString(1, out));
    EXPECT_EQ(Wide(out), L"language 1 one");
    EXPECT_FALSE(m_install.SetLanguageIndex(2));
    EXPECT_FALSE(m_install.SetLanguageIndex(-1));
    EXPECT_EQ(m_install.m_langIndex, 1u);
}

// With and without the byte-order mark the same text; the mark alone an empty one.
TEST_F(TextItem, ReadsLinkedTextItems)
{
    GString withMark, withoutMark, markOnly;
    ASSERT_TRUE(m_install.ReadTextItem(LicenceTextItems[0].data, LicenceTextItems[0].storedSize, withMark));
    ASSERT_TRUE(m_install.ReadTextItem(LicenceTextItems[1].data, LicenceTextItems[1].storedSize, withoutMark));
    EXPECT_FALSE(withMark.IsWide());
    EXPECT_EQ(Narrow(withMark), kTextContent);
    EXPECT_EQ(Narrow(withoutMark), kTextContent);
    markOnly.AssignWide(L"not yet read");
    ASSERT_TRUE(m_install.ReadTextItem(FileDItem.data, FileDItem.storedSize, markOnly));
    EXPECT_FALSE(markOnly.IsWide());
    EXPECT_EQ(markOnly.GetLength(), 0);
}

// Items made here with the loaded key: a good one reads, a damaged one leaves the text alone.
TEST_F(TextItem, FailuresLeaveTextUntouched)
{
    const uint8_t* key = m_install.m_guard.Key();
    ASSERT_NE(key, nullptr);
    const char text[] = "\xEF\xBB\xBFmade at run time";
    std::vector<uint8_t> good = BuildItem(key, m_install.m_guard.KeyLength(), (const uint8_t*)text,
                                          strlen(text), 0);
    GString out;
    ASSERT_TRUE(m_install.ReadTextItem(good.data(), (uint32_t)good.size(), out));
    EXPECT_EQ(Narrow(out), "made at run time");

    std::vector<uint8_t> damaged = good;
    damaged[damaged.size() - 3] ^= 0x40;
    struct Case
    {
        const char* what;
        const uint8_t* item;
        uint32_t size;
    };
    const Case cases[] = {
        {"null item", nullptr, (uint32_t)good.size()},
        {"size 0", good.data(), 0},
        {"damaged", damaged.data(), (uint32_t)damaged.size()},
        {"size not whole blocks", good.data(), (uint32_t)good.size() - 1},
    };
    for (const Case& c : cases) {
        out.AssignWide(L"kept");
        EXPECT_FALSE(m_install.ReadTextItem(c.item, c.size, out)) << c.what;
        EXPECT_EQ(Wide(out), L"kept") << c.what;
    }

    m_install.FreePayload();
    EXPECT_FALSE(m_install.ReadTextItem(good.data(), (uint32_t)good.size(), out));
}
