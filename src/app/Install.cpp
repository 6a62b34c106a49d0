#include "Install.h"

#include <stdlib.h>
#include <string.h>
#include <new>

#include "../payload/PayloadItems.h"
#include "Defaults.h"
#include "../ui/Wizard.h"

CInstall::CInstall()
    : m_defaultLangId(0), m_targetLangId(0), m_optLangSettings(1), m_assocMatch(0), m_isAdmin(0),
      m_uninstallDone(0), m_installDone(0), m_restartRequested(0), m_eulaAccepted(0),
      m_optToggleKeys(1), m_optDesktopLinks(1), m_madeFileCDesktopLink(0),
      m_madeFileADesktopLink(0), m_madeFileBDesktopLink(0), m_variant(-1), m_decimalKey(-1),
      m_forceAltLibraries(0), m_optAltLibraries(0), m_settingsOnly(0), m_hadScancodeMap(0),
      m_keyMap(nullptr), m_keyMapCount(kKeyMapRows), m_wizard(nullptr), m_regVersion1(0),
      m_regVersion2(0), m_regSharedCount(0), m_installedVersion(0), m_installCount(0),
      m_otherScanMappings(nullptr), m_otherScanMappingCount(0)
{
    // The working copy starts as the table with every user assignment cleared.
    m_keyMap = (KeyMapEntry*)malloc(sizeof(KeyMapEntry) * (size_t)m_keyMapCount);
    if (m_keyMap) {
        memcpy(m_keyMap, KeyMapTable, sizeof(KeyMapEntry) * (size_t)m_keyMapCount);
        for (int i = 0; i < m_keyMapCount; ++i)
            m_keyMap[i].virtualKey = 0;
    } else {
        m_keyMapCount = 0;
    }
}

// The GStrings and m_installStrings are destroyed by the compiler after this body, in reverse
// order of declaration; the base part then releases its tables and wipes the key block.
CInstall::~CInstall()
{
    CInstall::FreePayload();
    if (m_wizard) {
        delete m_wizard;
        m_wizard = nullptr;
    }
    free(m_keyMap);
    m_keyMap = nullptr;
    free(m_otherScanMappings);
    m_otherScanMappings = nullptr;
    m_otherScanMappingCount = 0;
}

HWND CInstall::GetOwnerWindow()
{
    return m_wizard ? m_wizard->MainWindowHandle() : nullptr;
}

void CInstall::FreePayload()
{
    CInstallBase::FreePayload();
    m_installStrings.Release();
}

const void* CInstall::FindString(StringId id)
{
    const void* record = CInstallBase::FindString(id);
    if (!record)
        record = m_installStrings.Find(id);
    return record;
}

bool CInstall::ReadTableItem(const PayloadItem& item, StringTable& table)
{
    if (!item.data)
        return false;
    uint32_t size = item.storedSize;
    uint32_t count = 0;
    uint8_t* buffer = m_guard.ReadItem(item.data, size, &count);
    if (!buffer)
        return false;
    if (!table.Init(buffer, (int)count, size)) {
        free(buffer);
        return false;
    }
    return true;
}

bool CInstall::Init(HINSTANCE instance)
{
    if (!CInstallBase::Init(instance))
        return false;
    if (!m_guard.Load(KeyBlock, (int)KeyBlockLength))
        return false;
    if (!ReadTableItem(BaseStringsItem, m_baseStrings))
        return false;
    if (!ReadTableItem(InstallStringsItem, m_installStrings))
        return false;
    if (!ReadTableItem(LangStringsItems[0], m_langStrings[0]))
        return false;
    if (!ReadTableItem(LangStringsItems[1], m_langStrings[1]))
        return false;

    m_wizard = new (std::nothrow) CWizard(this);
    if (!m_wizard || !m_wizard->Init(instance))
        return false;

    uint32_t langId = 0;
    GetString(86, m_scratch);
    if (ScanHexField(m_scratch.GetWide(), langId) == 1)
        m_defaultLangId = (uint16_t)(langId & 0xFFFF);

    ChooseVariant();
    ChooseDecimalKey();
    return true;
}

bool CInstall::SetLanguageIndex(int index)
{
    if (index != 0 && index != 1)
        return false;
    m_langIndex = (uint32_t)index;
    return true;
}

int CInstall::ChooseVariant()
{
    if (m_variant >= 0)
        return m_variant;
    m_variant = 0;
    GString needle;
    GString haystack;
    GetString(88, needle);
    for (int variant = 0; variant < 3; ++variant) {
        GetString((StringId)(113 + variant), haystack);
        if (haystack.Find(needle.WideAt(0), 0, needle.GetLength()) >= 0) {
            m_variant = variant;
            break;
        }
    }
    return m_variant;
}

int CInstall::SetVariant(int variant)
{
    if (variant >= 0 && variant <= 2)
        m_variant = variant;
    return variant;
}

int CInstall::ChooseDecimalKey()
{
    if (m_decimalKey >= 0)
        return m_decimalKey;
    int size = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 0);
    if (size <= 0)
        return -1;
    GString text;
    WChar* buffer = text.GetWideBuffer(size);
    if (!buffer || GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, size) <= 0)
        return -1;
    text.SetLength(-1);
    m_decimalKey = text.Compare(L",", 1) == 0 ? 0 : 1;
    return m_decimalKey;
}

int CInstall::SetDecimalKey(int decimalKey)
{
    if (decimalKey == 0 || decimalKey == 1)
        m_decimalKey = decimalKey;
    return decimalKey;
}

bool CInstall::Run()
{
    if (!m_wizard)
        return false;
    m_langIndex = GetUserDefaultLangID() == 0x0415 ? 1 : 0;
    ProbePlatform(58, 144);
    if (!IsPlatformSupported()) {
        ShowMessage(124, MB_ICONWARNING);
        return false;
    }
    m_targetLangId = m_osVersion >= 60 ? GetUserDefaultLangID() : m_defaultLangId;
    if (m_osVersion < 51)
        m_optLangSettings = 0;
    if (!CheckSingleInstance())
        return false;
    BuildPaths();
    m_assocMatch = (uint32_t)CheckAssociatedProgram(42, 45);
    m_isAdmin = IsUserAdmin() ? 1 : 0;
    if (!m_isAdmin) {
        ShowMessage(123, MB_OK);
        return true;
    }
    ReadScancodeMap();
    ReadInstallRecord();
    return m_wizard->Run() != 0;
}

void CInstall::Finish()
{
    if (m_wizard) {
        m_wizard->Teardown();
        delete m_wizard;
        m_wizard = nullptr;
    }
    if (m_uninstallDone || m_installDone)
        WriteFinishValue();
    FreePayload();
    if (m_restartRequested)
        RestartSystem();
}
