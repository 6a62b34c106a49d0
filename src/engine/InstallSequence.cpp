// The install sequence: documents, shortcuts and the installer copy, the layout libraries, the
// record, the layout's registration and its settings, in this order. The first failing step
// ends it and nothing is undone.
#include "app/Install.h"

#include <shlobj.h>

#include "Bookkeeping.h"
#include "payload/PayloadItems.h"

namespace {

// Texts of the shortcuts and the files the sequence writes.
enum InstallText {
    kOlderGuideName = 77,
    kOlderReadMeName = 78,
    kDocumentSuffix = 42,
    kLinkSuffix = 43,
    kReadMeSuffix = 44,
    kReadMeIcon = 52,
    kGuideDescription = 121,
    kChartDescription = 35,
    kReadMeDescription = 122,
    kNotesFormat = 69,
    kKeyListName = 80,
};

InstallState StateOf(CInstall& in)
{
    InstallState state;
    state.installedVersion = in.m_installedVersion;
    state.chartVersion = in.m_regVersion1;
    state.optDesktopLinks = in.m_optDesktopLinks != 0;
    state.guideRecorded = in.m_regFileA.GetLength() > 0;
    state.guideDesktopLinkStale = IsStalePath(in.m_regFileADesktopLink, in.m_fileADesktopLink);
    state.readMeRecorded = in.m_regFileCMenuLink.GetLength() > 0;
    state.readMeDesktopLinkRecorded = in.m_regFileCDesktopLink.GetLength() > 0;
    state.readMeFileRecorded = in.m_regFileC.GetLength() > 0;
    state.readMeFileComposed = in.m_fileC.GetLength() > 0;
    state.textFilesRecorded = in.m_regTextMenuFile.GetLength() > 0;
    return state;
}

// Deleting what an earlier installation recorded: its results do not count.
void DeleteRecorded(GString& path)
{
    if (path.GetLength() > 0)
        DeleteFileW(path.GetWide());
}

void DeleteStale(GString& recorded, GString& composed)
{
    if (IsStalePath(recorded, composed))
        DeleteFileW(recorded.GetWide());
}

int MakeLink(CInstall& in, GString& target, GString& link, StringId description,
             const WChar* icon)
{
    GString text;
    in.GetString(description, text);
    return in.CreateShortcut(target.GetWide(), link.GetWide(), text.GetWide(), icon, 0);
}

int WriteItem(CInstall& in, GString& path, const PayloadItem& item)
{
    return in.WriteItemToFile(path.GetWide(), item.data, item.storedSize);
}

// The text file written to the menu and the desktop: where the key list is.
void WriteTextFiles(CInstall& in)
{
    GString format, keyList, text;
    in.GetString(kNotesFormat, format);
    in.GetString(kKeyListName, keyList);
    if (!GString::Format(text, format.GetWide(), in.m_installDir.GetWide(), keyList.GetWide()))
        return;
    GString* files[] = {&in.m_textMenuFile, &in.m_textDesktopFile};
    for (GString* file : files) {
        HANDLE handle = in.CreateOutputFile(file->GetWide());
        if (handle) {
            in.WriteText(handle, text);
            CloseHandle(handle);
        }
    }
}

} // namespace

int CInstall::Install()
{
    // Changing the settings of this version: the record's options and the libraries only.
    if (m_settingsOnly)
        return WriteInstallRecord() && InstallLayoutLibraries();

    InstallPlan plan = PlanInstall(StateOf(*this));
    if (plan.removeOlderVersionFiles)
        RemoveOldFiles(0);
    if (!InstallFiles() || !InstallLayoutLibraries())
        return 0;
    if (plan.countInstallation)
        m_installCount = CountUp(m_installCount);
    if (!WriteInstallRecord() || !RegisterLayout())
        return 0;
    WriteScancodeMap();
    RunLanguageScript(m_targetLangId, m_optLangSettings);
    if (m_optToggleKeys && !WriteToggleValues())
        return 0;
    m_installDone = 1;
    return 1;
}

// What an earlier installation recorded decides what is made again: document A always (at its
// new place when it moved), document B only when older, file C and the text files only when
// not recorded. The installer copy and its link are always made anew.
int CInstall::InstallFiles()
{
    GString readMeIcon;
    GetString(kReadMeIcon, readMeIcon);
    GString* folders[] = {&m_vendorDir, &m_installDir, &m_menuVendorDir, &m_menuDir};
    for (GString* folder : folders) {
        if (!EnsureDirectory(folder->GetWide()))
            return 0;
    }
    DeleteRecorded(m_regSelfCopy);
    DeleteRecorded(m_regSelfLink);

    InstallPlan plan = PlanInstall(StateOf(*this));
    m_regSharedCount = GuideCountBefore(m_regSharedCount, m_regFileA.GetLength() > 0);
    DeleteStale(m_regFileA, m_fileA);
    DeleteStale(m_regFileAMenuLink, m_fileAMenuLink);
    DeleteStale(m_regFileADesktopLink, m_fileADesktopLink);
    if (!WriteItem(*this, m_fileA, FileAItem) ||
        !MakeLink(*this, m_fileA, m_fileAMenuLink, kGuideDescription, nullptr))
        return 0;
    if (plan.guideDesktopLink) {
        if (!MakeLink(*this, m_fileA, m_fileADesktopLink, kGuideDescription, nullptr))
            return 0;
        m_madeFileADesktopLink = 1;
    }
    m_regSharedCount = CountUp(m_regSharedCount);

    if (plan.writeChart) {
        DeleteRecorded(m_regFileB);
        DeleteRecorded(m_regFileBMenuLink);
        DeleteRecorded(m_regFileBDesktopLink);
        if (!WriteItem(*this, m_fileB, FileBItem) ||
            !MakeLink(*this, m_fileB, m_fileBMenuLink, kChartDescription, nullptr))
            return 0;
        if (plan.chartDesktopLink) {
            if (!MakeLink(*this, m_fileB, m_fileBDesktopLink, kChartDescription, nullptr))
                return 0;
            m_madeFileBDesktopLink = 1;
        }
    }

    if (plan.writeReadMe) {
        if (!WriteFileC(m_fileC.GetWide()) ||
            !MakeLink(*this, m_fileC, m_fileCMenuLink, kReadMeDescription, readMeIcon.GetWide()))
            return 0;
    }
    if (plan.readMeDesktopLink != kReadMeLinkNone) {
        GString& target = plan.readMeDesktopLink == kReadMeLinkRecorded ? m_regFileC : m_fileC;
        if (!MakeLink(*this, target, m_fileCDesktopLink, kReadMeDescription, readMeIcon.GetWide()))
            return 0;
        m_madeFileCDesktopLink = 1;
    }

    if (plan.writeTextFiles) {
        WriteItem(*this, m_fileD, FileDItem);
        WriteTextFiles(*this);
    }

    if (m_selfPath.GetLength() <= 0 || m_selfCopy.GetLength() <= 0 ||
        !CopyFileW(m_selfPath.GetWide(), m_selfCopy.GetWide(), FALSE))
        return 0;
    return CreateShortcut(m_selfCopy.GetWide(), m_selfLink.GetWide(), m_selfLinkTitle.GetWide(),
                          m_selfCopy.GetWide(), 0);
}

// What the older version left in the user's folders: its guide and read-me files and their
// desktop links; with `withLibraries` also the layout libraries, at the next restart.
int CInstall::RemoveOldFiles(int withLibraries)
{
    GString documents, desktop;
    GetSpecialFolder(CSIDL_PERSONAL, documents);
    GetSpecialFolder(CSIDL_DESKTOP, desktop);
    struct {
        GString* folder;
        StringId name, suffix;
    } files[] = {
        {&documents, kOlderGuideName, kDocumentSuffix},
        {&desktop, kOlderGuideName, kLinkSuffix},
        {&documents, kOlderReadMeName, kReadMeSuffix},
        {&desktop, kOlderReadMeName, kLinkSuffix},
    };
    for (const auto& f : files) {
        // Without its folder, name or suffix a path would name another file (at the root of
        // the drive, or a bare suffix in the folder): it is skipped.
        GString name, suffix, path;
        if (f.folder->GetLength() <= 0 || !GetString(f.name, name) || !GetString(f.suffix, suffix) ||
            name.GetLength() <= 0 || suffix.GetLength() <= 0)
            continue;
        if (path.Assign(*f.folder) && path.AppendPath(name.GetWide(), name.GetLength()) &&
            path.Append(suffix))
            DeleteOrSchedule(path);
    }
    if (!withLibraries)
        return 1;
    return ScheduleLayoutLibraryRemoval();
}
