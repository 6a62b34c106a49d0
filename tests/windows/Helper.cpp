// A child program for the Windows-side tests: what a test cannot do in its own process (start
// under another reported Windows version, be a command that runs for a while).
//
//   engine_helper probe OUTFILE        probe the platform, write "version arch is64 supported"
//   engine_helper marker FILE          write FILE and exit
//   engine_helper sleep MS FILE        wait MS milliseconds, then write FILE
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "app/Install.h"

namespace {

bool WriteText(const wchar_t* path, const char* text)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text, (DWORD)strlen(text), &written, nullptr) != 0;
    CloseHandle(file);
    return ok;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 3 && wcscmp(argv[1], L"probe") == 0) {
        CInstall install;
        bool probed = install.ProbePlatform(58, 144);
        char line[128];
        snprintf(line, sizeof line, "%d %d %u %d %d", probed ? 1 : 0, (int)install.m_osVersion,
                 (unsigned)install.m_nativeArch, (int)install.m_is64BitOs,
                 install.IsPlatformSupported() ? 1 : 0);
        return WriteText(argv[2], line) ? 0 : 1;
    }
    if (argc >= 3 && wcscmp(argv[1], L"marker") == 0)
        return WriteText(argv[2], "done") ? 0 : 1;
    if (argc >= 4 && wcscmp(argv[1], L"sleep") == 0) {
        Sleep((DWORD)wcstoul(argv[2], nullptr, 10));
        return WriteText(argv[3], "done") ? 0 : 1;
    }
    return 2;
}
