#include <objbase.h>
#include <windows.h>

#include "Install.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CInstall install;
    CoInitializeEx(nullptr, 0);
    if (install.Init(instance) && install.Run()) {
        install.Finish();
        CoUninitialize();
    }
    return 0;
}
