// The last actions of a run under Wine: the restart request.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/Install.h"

TEST(Restart, InitiatedWithThePrivilegeEnabled)
{
    // Wine's shutdown request returns success and does nothing.
    CInstall install;
    EXPECT_TRUE(install.RestartSystem());
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID shutdown;
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown));
    PRIVILEGE_SET set;
    set.PrivilegeCount = 1;
    set.Control = PRIVILEGE_SET_ALL_NECESSARY;
    set.Privilege[0].Luid = shutdown;
    set.Privilege[0].Attributes = 0;
    BOOL enabled = FALSE;
    ASSERT_TRUE(PrivilegeCheck(token, &set, &enabled));
    EXPECT_TRUE(enabled);
    CloseHandle(token);
}
