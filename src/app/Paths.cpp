// The installation paths, composed once before the installation record is read.
#include "Install.h"

#include <shellapi.h>
#include <shlobj.h>

#include "PathRules.h"

namespace {

int LookUpText(void* context, StringId id, GString& out)
{
    return static_cast<CInstall*>(context)->GetString(id, out) ? 1 : 0;
}

} // namespace

// Nothing here stops the installer: a folder or text that cannot be had is an empty part.
// Without argv[0] the four members of the installer's own copy stay empty and the result is
// false.
bool CInstall::BuildPaths()
{
    GString programFiles, programs, desktop;
    GetSpecialFolder(CSIDL_PROGRAM_FILES, programFiles);
    GetSpecialFolder(CSIDL_COMMON_PROGRAMS, programs);
    GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY, desktop);
    PathFolders folders = {programFiles.GetWide(), programs.GetWide(), desktop.GetWide()};
    InstallPathTargets paths = {
        &m_vendorDir,        &m_installDir,    &m_menuVendorDir,    &m_menuDir,
        &m_fileA,            &m_fileAMenuLink, &m_fileADesktopLink, &m_fileB,
        &m_fileBMenuLink,    &m_fileBDesktopLink, &m_fileC,         &m_fileCMenuLink,
        &m_fileCDesktopLink, &m_textMenuFile,  &m_textDesktopFile,  &m_fileD,
    };
    ComposeInstallPaths(folders, LookUpText, this, paths);

    m_selfPath.Reset(true);
    m_selfLinkTitle.Reset(true);
    m_selfCopy.Reset(true);
    m_selfLink.Reset(true);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return false;
    if (argc < 1 || !argv[0]) {
        LocalFree(argv);
        return false;
    }
    SelfPathTargets self = {&m_selfPath, &m_selfLinkTitle, &m_selfCopy, &m_selfLink};
    ComposeSelfPaths(argv[0], m_installDir, m_menuDir, LookUpText, this, self);
    LocalFree(argv);
    return true;
}
