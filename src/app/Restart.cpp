// The two last actions of a run: the finishing registry value and the restart of Windows.
#include "Install.h"

#include <string.h>

bool CInstall::WriteFinishValue()
{
    // Windows 2000 gets a text of its own.
    return SetMachineRegString(4, 71, m_osVersion > 50 ? 50 : 51) != 0;
}

static_assert((SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_OPERATINGSYSTEM |
               SHTDN_REASON_MINOR_RECONFIG) == 0x80020004,
              "a planned restart for a reconfiguration of the system");

bool CInstall::RestartSystem()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges;
    memset(&privileges, 0, sizeof privileges);
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        CloseHandle(token);
        return false;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Success of the call alone is not enough: a user without the privilege gets
    // ERROR_NOT_ALL_ASSIGNED from a call that reports success.
    BOOL adjusted = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    DWORD error = GetLastError();
    CloseHandle(token);
    if (!adjusted || error != ERROR_SUCCESS)
        return false;
    WChar noMessage[1] = {0};
    return InitiateSystemShutdownExW(nullptr, noMessage, 0, FALSE, TRUE,
                                     SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_OPERATINGSYSTEM |
                                         SHTDN_REASON_MINOR_RECONFIG) != 0;
}
