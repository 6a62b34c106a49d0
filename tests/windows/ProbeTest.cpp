// The platform probe and the start-up checks under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <string>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

// Runs the helper with Wine told to report `version` to it alone; its probe comes back as
// text. Empty when the helper could not run.
std::string ProbeInChild(const wchar_t* version, const WText& dir)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\engine_helper.exe", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return std::string();
    RegSetValueExW(key, L"Version", 0, REG_SZ, (const BYTE*)version,
                   (DWORD)(wcslen(version) + 1) * 2);
    RegCloseKey(key);
    WText out = dir + L"\\probe-" + version + L".txt";
    WText command = L"\"" + HelperPath() + L"\" probe \"" + out + L"\"";
    if (RunAndWait(command) != 0)
        return std::string();
    std::string text;
    ReadWholeFile(out, text);
    return text;
}

} // namespace

TEST(Probe, ReportsThePrefixVersionAndTheNativeArchitecture)
{
    // This program runs in a prefix set to Windows 10; without a manifest that names Windows
    // 10 the system reports 6.2 to it, as Windows does.
    CInstall install;
    ASSERT_TRUE(install.ProbePlatform(58, 144));
    EXPECT_EQ(62, install.m_osVersion);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, install.m_nativeArch);
    EXPECT_EQ(1u, install.m_is64BitOs);
    EXPECT_TRUE(install.IsPlatformSupported());
}

TEST(Probe, VersionsReportedToOneProgram)
{
    WText dir = MakeTestDir(L"probe");
    ASSERT_FALSE(dir.empty());
    struct Case {
        const wchar_t* version;
        const char* probe;   // result, code, architecture, 64-bit, supported
    } cases[] = {
        {L"win2k", "1 50 9 1 0"},   {L"winxp", "1 51 9 1 0"},  {L"winxp64", "1 52 9 1 1"},
        {L"win2003", "1 52 9 1 1"}, {L"vista", "1 60 9 1 1"},  {L"win7", "1 61 9 1 1"},
        {L"win8", "1 62 9 1 1"},    {L"win81", "1 62 9 1 1"},  {L"win10", "1 62 9 1 1"},
    };
    for (const Case& c : cases) {
        std::string probe = ProbeInChild(c.version, dir);
        EXPECT_EQ(c.probe, probe) << std::string(c.version, c.version + wcslen(c.version));
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\engine_helper.exe");
    RemoveTree(dir);
}

TEST(Probe, AdministratorUnderWine)
{
    // Wine's token is an elevated member of BUILTIN\Administrators.
    CInstall install;
    EXPECT_TRUE(install.IsUserAdmin());
}

TEST(Probe, LookupsWithoutTexts)
{
    CInstall install;
    EXPECT_EQ(nullptr, install.LoadSystemLibrary(144));
    HMODULE module = nullptr;
    EXPECT_EQ(nullptr, install.GetSystemProc(58, 144, module));
    EXPECT_EQ(nullptr, module);
    // A module the caller holds stays the caller's.
    module = GetModuleHandleW(L"kernel32.dll");
    HMODULE held = module;
    EXPECT_EQ(nullptr, install.GetSystemProc(58, 144, module));
    EXPECT_EQ(held, module);
    // Without a wizard there is nobody to show a message.
    EXPECT_EQ(0, install.ShowMessage(124, MB_ICONWARNING));
    EXPECT_TRUE(install.CheckSingleInstance()) << "no class name, nothing to find";
}

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
