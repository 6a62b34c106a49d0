// The platform probe and the start-up checks under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <string>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

WText Wide(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

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

TEST(Probe, SystemLibraryAndFunctionByName)
{
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, {{58, "GetNativeSystemInfo"}, {144, "kernel32.dll"},
                                    {600, "NoSuchFunction"}, {601, "no-such-library.dll"},
                                    {602, ""}}));
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    HMODULE module = install.LoadSystemLibrary(144);
    EXPECT_EQ(kernel, module);
    EXPECT_TRUE(Wide(install.m_scratch) == L"kernel32.dll");
    FreeLibrary(module);
    EXPECT_EQ(nullptr, install.LoadSystemLibrary(601));
    EXPECT_EQ(nullptr, install.LoadSystemLibrary(602));

    module = nullptr;
    FARPROC proc = install.GetSystemProc(58, 144, module);
    EXPECT_EQ(GetProcAddress(kernel, "GetNativeSystemInfo"), proc);
    EXPECT_EQ(kernel, module) << "the module loaded for the call is the caller's";
    FreeLibrary(module);
    // A module already held is used whatever the library id says.
    module = kernel;
    EXPECT_EQ(GetProcAddress(kernel, "GetNativeSystemInfo"), install.GetSystemProc(58, 601, module));
    EXPECT_EQ(nullptr, install.GetSystemProc(600, 144, module));
    EXPECT_EQ(nullptr, install.GetSystemProc(602, 144, module));
    module = nullptr;
    EXPECT_EQ(nullptr, install.GetSystemProc(58, 601, module));
    EXPECT_EQ(nullptr, module);

    // The probe through the named function gives what the system says natively.
    ASSERT_TRUE(install.ProbePlatform(58, 144));
    SYSTEM_INFO native;
    GetNativeSystemInfo(&native);
    EXPECT_EQ(native.wProcessorArchitecture, install.m_nativeArch);
    EXPECT_EQ(62, install.m_osVersion);
}

namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* className)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    if (window) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
    return window;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

TEST(Probe, SingleInstanceBringsTheOtherToTheFront)
{
    CInstall install;
    ASSERT_TRUE(LoadTexts(install, {{94, "EngineTestMainWindow"}}));
    EXPECT_TRUE(install.CheckSingleInstance()) << "no window of the class yet";

    HWND first = MakeWindow(L"EngineTestMainWindow");
    ASSERT_NE(nullptr, first);
    HWND other = MakeWindow(L"EngineTestOtherWindow");
    ASSERT_NE(nullptr, other);
    SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(other, GetForegroundWindow());

    EXPECT_FALSE(install.CheckSingleInstance());
    Pump();
    EXPECT_EQ(first, GetForegroundWindow());

    DestroyWindow(first);
    DestroyWindow(other);
    Pump();
    EXPECT_TRUE(install.CheckSingleInstance()) << "gone again";
}
