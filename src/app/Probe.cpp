#include "Install.h"

#include "../ui/Wizard.h"

// Platform probe and the start-up checks. Until the probe is built the platform stays unknown
// (code 0), which no platform table admits, so Run refuses to go on.

bool CInstall::ProbePlatform(StringId, StringId)
{
    m_nativeArch = 0xFFFF;
    m_osVersion = 0;
    m_is64BitOs = 0;
    return false;
}

bool CInstall::IsPlatformSupported()
{
    return false;
}

bool CInstall::IsUserAdmin()
{
    return false;
}

bool CInstall::CheckSingleInstance()
{
    return true;
}

int CInstall::ShowMessage(StringId text, UINT type)
{
    if (!m_wizard)
        return 0;
    return m_wizard->MsgBoxId(text, type);
}

HMODULE CInstall::LoadSystemLibrary(StringId)
{
    return nullptr;
}

FARPROC CInstall::GetSystemProc(StringId, StringId, HMODULE&)
{
    return nullptr;
}
