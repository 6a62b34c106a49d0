#include "InstallBase.h"

CInstallBase::CInstallBase()
    : m_hInstance(nullptr), m_currentPage(0), m_osVersion(0), m_langIndex(0), m_is64BitOs(0),
      m_nativeArch(0xFFFF)
{
}

// Members go in reverse order: m_scratch, the language tables (second first), the base table,
// and last the guard, whose destructor wipes a block that is still held.
CInstallBase::~CInstallBase()
{
    CInstallBase::FreePayload();
}

HWND CInstallBase::GetOwnerWindow()
{
    return nullptr;
}

bool CInstallBase::Init(HINSTANCE instance)
{
    m_hInstance = instance;
    return true;
}

void CInstallBase::FreePayload()
{
    m_baseStrings.Release();
    m_langStrings[0].Release();
    m_langStrings[1].Release();
    m_guard.Clear();
}

const void* CInstallBase::FindString(StringId id)
{
    const void* record = m_langStrings[m_langIndex == 1 ? 1 : 0].Find(id);
    if (!record)
        record = m_baseStrings.Find(id);
    return record;
}

bool CInstallBase::GetString(StringId id, GString& out)
{
    out.Reset(out.IsWide() != 0);
    const void* record = FindString(id);
    if (!record)
        return false;
    if (!out.AssignCounted(record))
        return false;
    // A UTF-8 record that does not decode counts as missing rather than as half a text.
    if (!out.GetWide()) {
        out.Reset(true);
        return false;
    }
    return true;
}
