#include "Install.h"

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
