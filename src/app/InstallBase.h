// CInstallBase: payload access shared by the installer object. It owns the key guard and the
// base and per-language string tables and answers the first two levels of a text lookup.
#pragma once

#include <windows.h>

#include "../payload/Guard.h"
#include "../payload/StringTable.h"
#include "../text/GString.h"

class CInstallBase
{
public:
    CInstallBase();
    // Not virtual on purpose: CInstall adds the virtual destructor as its own slot.
    ~CInstallBase();

    virtual HWND GetOwnerWindow();
    virtual bool Init(HINSTANCE instance);
    virtual void FreePayload();
    virtual const void* FindString(StringId id);

    // Fills `out` with the text of `id` in UTF-16; false (and `out` empty) when no table has it.
    bool GetString(StringId id, GString& out);

    HINSTANCE m_hInstance;
    CGuard m_guard;
    StringTable m_baseStrings;
    StringTable m_langStrings[2];
    uint32_t m_currentPage;
    int32_t m_osVersion;
    uint32_t m_langIndex;
    uint32_t m_is64BitOs;
    uint16_t m_nativeArch;
    GString m_scratch;

private:
    CInstallBase(const CInstallBase&) = delete;
    CInstallBase& operator=(const CInstallBase&) = delete;
};
