#include "Install.h"

// Steps of Run and Finish whose engine parts are not built yet. Each reports "nothing found"
// or "not done", which is what Run and Finish already tolerate.

int CInstall::ReadScancodeMap()
{
    return 0;
}

// The install and uninstall sequences and the shell's document opening are not built yet:
// each reports failure, so a page that calls one takes its failure path.

int CInstall::Install()
{
    return 0;
}

int CInstall::Uninstall()
{
    return 0;
}
