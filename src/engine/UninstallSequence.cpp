// The uninstall sequence: the layout libraries at the next restart, the files and links no
// installation uses any more, the installer copy, the empty folders, the layout key and this
// installation's share of the record. Every step is attempted whatever the ones before gave.
#include "app/Install.h"

#include "Bookkeeping.h"

namespace {

// A folder the installation made goes now when it is empty; one that still holds a file that
// goes only at the next restart (the running installer copy, a library copy waiting to be
// moved) is removed at that restart, after the files scheduled before it.
void RemoveFolder(CInstall& in, GString& folder)
{
    if (folder.GetLength() <= 0 || in.RemoveDir(folder))
        return;
    DWORD attributes = GetFileAttributesW(folder.GetWide());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        MoveFileExW(folder.GetWide(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace

// On a 64-bit system both copies are named with the file-system redirection off, so that each
// name means the folder it says.
int CInstall::ScheduleLayoutLibraryRemoval()
{
    GString dest32, destNative;
    if (!GetLayoutLibraryPaths(dest32, destNative))
        return 0;
    if (!m_is64BitOs) {
        if (dest32.GetLength() > 0)
            MoveFileExW(dest32.GetWide(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return 1;
    }
    RedirectionDisableProc disable = nullptr;
    RedirectionRevertProc revert = nullptr;
    HMODULE module = GetRedirectionSwitch(disable, revert);
    PVOID previous = nullptr;
    if (disable)
        disable(&previous);
    GString* paths[] = {&dest32, &destNative};
    for (GString* path : paths) {
        if (path->GetLength() > 0)
            MoveFileExW(path->GetWide(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    if (revert)
        revert(previous);
    if (module)
        FreeLibrary(module);
    return 1;
}

int CInstall::Uninstall()
{
    // The older version left no record: its user-folder files, libraries, layout key and
    // input-language settings are all there is.
    if (m_installedVersion == kOlderVersion) {
        RemoveOldFiles(1);
        UnregisterLayout();
        RunUndoScript();
        m_uninstallDone = 1;
        return 1;
    }

    UninstallPlan plan = PlanUninstall(m_installCount, m_regSharedCount);
    m_installCount = plan.installCount;
    m_regSharedCount = plan.sharedCount;
    if (!ScheduleLayoutLibraryRemoval())
        return 0;

    if (plan.removeGuide) {
        GString* guide[] = {&m_regFileA, &m_regFileAMenuLink, &m_regFileADesktopLink};
        for (GString* path : guide)
            DeleteOrSchedule(*path);
    }
    if (plan.removeCommonFiles) {
        GString* common[] = {&m_regFileC,        &m_regFileCMenuLink,    &m_regFileCDesktopLink,
                             &m_regTextMenuFile, &m_regTextDesktopFile,  &m_regFileB,
                             &m_regFileBMenuLink, &m_regFileBDesktopLink, &m_regFileD};
        for (GString* path : common)
            DeleteOrSchedule(*path);
        RunUndoScript();
    }
    DeleteOrSchedule(m_regSelfCopy);
    DeleteOrSchedule(m_regSelfLink);

    GString* folders[] = {&m_installDir, &m_vendorDir, &m_menuDir, &m_menuVendorDir};
    for (GString* folder : folders)
        RemoveFolder(*this, *folder);

    UnregisterLayout();
    RemoveInstallRecord();
    m_uninstallDone = 1;
    return 1;
}
