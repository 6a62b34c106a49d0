// A child program of the sequence tests, linked with the product's payload: it runs a sequence
// as the installer does, so that the installer's copy it leaves can run the next one.
//
//   sequence_helper install OUTFILE     install as a first installation; write the result
//   sequence_helper uninstall OUTFILE   uninstall what the record names; write the result
#include <windows.h>

#include <objbase.h>
#include <wchar.h>

#include "SequenceTestUtil.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    bool install = wcscmp(argv[1], L"install") == 0;
    if (!install && wcscmp(argv[1], L"uninstall") != 0)
        return 2;
    CoInitializeEx(nullptr, 0);
    int result = -1;
    {
        CInstall in;
        if (PrepareInstaller(in))
            result = install ? in.Install() : in.Uninstall();
    }
    CoUninitialize();
    std::string text = std::to_string(result);
    return WriteWholeFile(argv[2], text) ? 0 : 1;
}
