// A child program for the Windows-side tests: what a test cannot do in its own process (start
// under another reported Windows version, be a command that runs for a while).
//
//   engine_helper probe OUTFILE        probe the platform, write "version arch is64 supported"
//   engine_helper marker FILE          write FILE and exit
//   engine_helper sleep MS FILE        wait MS milliseconds, then write FILE
//   engine_helper copy FROM TO         copy the file FROM to TO (a script the installer runs)
//   ARGV0 paths OUTFILE                compose the paths from the path texts with argv[0] as
//                                      started; write the result and the four members of the
//                                      installer's own copy, one a line, UTF-8
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "WinTestUtil.h"
#include "app/Install.h"

namespace {

bool WriteText(const wchar_t* path, const char* text, size_t length)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text, (DWORD)length, &written, nullptr) != 0;
    CloseHandle(file);
    return ok;
}

bool WriteText(const wchar_t* path, const char* text)
{
    return WriteText(path, text, strlen(text));
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
    if (argc >= 3 && wcscmp(argv[1], L"paths") == 0) {
        CInstall install;
        if (!LoadTexts(install, PathTexts()))
            return 3;
        GString out;
        out.AssignUtf8(install.BuildPaths() ? "1" : "0");
        GString* members[] = {&install.m_selfPath, &install.m_selfLinkTitle, &install.m_selfCopy,
                              &install.m_selfLink};
        for (GString* member : members) {
            out.AppendLineBreak();
            out.Append(*member);
        }
        const char* text = out.GetNarrow();
        return text && WriteText(argv[2], text, (size_t)out.GetLength()) ? 0 : 1;
    }
    if (argc >= 3 && wcscmp(argv[1], L"marker") == 0)
        return WriteText(argv[2], "done") ? 0 : 1;
    if (argc >= 4 && wcscmp(argv[1], L"copy") == 0)
        return CopyFileW(argv[2], argv[3], FALSE) ? 0 : 1;
    if (argc >= 4 && wcscmp(argv[1], L"sleep") == 0) {
        Sleep((DWORD)wcstoul(argv[2], nullptr, 10));
        return WriteText(argv[3], "done") ? 0 : 1;
    }
    return 2;
}
