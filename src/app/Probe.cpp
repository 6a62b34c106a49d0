// Platform probe and the start-up checks: release and native architecture, one instance only,
// administrator rights; and the lookup of system functions by names from the string tables.
#include "Install.h"

#include "../ui/Wizard.h"
#include "Platform.h"

#include <string.h>

typedef void(WINAPI* NativeSystemInfoProc)(LPSYSTEM_INFO info);

bool CInstall::ProbePlatform(StringId procName, StringId libName)
{
    m_nativeArch = kArchUnknown;
    m_osVersion = 0;
    m_is64BitOs = 0;

    OSVERSIONINFOEXW version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!GetVersionExW((OSVERSIONINFOW*)&version)) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW((OSVERSIONINFOW*)&version))
            return false;
    }
    m_osVersion = OsVersionCode(version.dwMajorVersion, version.dwMinorVersion);

    // A 32-bit process on a 64-bit system sees an emulated architecture in GetSystemInfo; the
    // native answer comes from the function named in the string tables, where it exists.
    SYSTEM_INFO info;
    memset(&info, 0, sizeof info);
    HMODULE module = nullptr;
    FARPROC proc = GetSystemProc(procName, libName, module);
    // Through the generic function type, which converts to any other without complaint.
    NativeSystemInfoProc native = (NativeSystemInfoProc)(void (*)(void))proc;
    if (native)
        native(&info);
    else
        GetSystemInfo(&info);
    if (module)
        FreeLibrary(module);

    m_nativeArch = info.wProcessorArchitecture;
    m_is64BitOs = Is64BitArchitecture(m_nativeArch) ? 1 : 0;
    return true;
}

bool CInstall::IsPlatformSupported()
{
    return IsSupportedPlatform(m_osVersion, m_nativeArch) != 0;
}

// Membership of BUILTIN\Administrators in the calling thread's token: a filtered token of a
// non-elevated administrator does not count.
bool CInstall::IsUserAdmin()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member))
        member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

// Another installer shows a main window of our class: bring it to the front and let it be.
bool CInstall::CheckSingleInstance()
{
    if (!GetString(94, m_scratch))
        return true;
    HWND other = FindWindowW(m_scratch.GetWide(), nullptr);
    if (!other)
        return true;
    SetForegroundWindow(other);
    return false;
}

int CInstall::ShowMessage(StringId text, UINT type)
{
    if (!m_wizard)
        return 0;
    return m_wizard->MsgBoxId(text, type);
}

HMODULE CInstall::LoadSystemLibrary(StringId libName)
{
    if (!GetString(libName, m_scratch))
        return nullptr;
    const WChar* name = m_scratch.GetWide();
    if (!name || !name[0])
        return nullptr;
    return LoadLibraryW(name);
}

FARPROC CInstall::GetSystemProc(StringId procName, StringId libName, HMODULE& module)
{
    if (!module) {
        module = LoadSystemLibrary(libName);
        if (!module)
            return nullptr;
    }
    if (!GetString(procName, m_scratch))
        return nullptr;
    const char* name = m_scratch.GetNarrow();
    if (!name || !name[0])
        return nullptr;
    return GetProcAddress(module, name);
}
