// Composition of the installation paths from the system folders and string-table texts.
// Joining is plain concatenation: the folders come without a trailing backslash and the texts
// carry every backslash and dot the paths need.
#pragma once

#include "../payload/StringTable.h"
#include "../text/GString.h"

// Fills `out` (wide) with the text of `id`; 0 and `out` empty when there is none.
typedef int (*TextLookup)(void* context, StringId id, GString& out);

struct PathFolders
{
    const WChar* programFiles;   // Program Files
    const WChar* programs;       // common Programs menu
    const WChar* desktop;        // common desktop
};

// The composed members, in the order they are composed.
struct InstallPathTargets
{
    GString* vendorDir;
    GString* installDir;
    GString* menuVendorDir;
    GString* menuDir;
    GString* fileA;
    GString* fileAMenuLink;
    GString* fileADesktopLink;
    GString* fileB;
    GString* fileBMenuLink;
    GString* fileBDesktopLink;
    GString* fileC;
    GString* fileCMenuLink;
    GString* fileCDesktopLink;
    GString* textMenuFile;
    GString* textDesktopFile;
    GString* fileD;
};

// Composes all sixteen targets (each replaced); a missing text or folder is an empty part.
// 0 only when memory runs out.
int ComposeInstallPaths(const PathFolders& folders, TextLookup lookup, void* context,
                        const InstallPathTargets& out);

// Index of the file name in a path: the text after its last backslash, 0 when there is none,
// `length` when the path ends in a backslash. A negative length means up to the terminator.
int FileNameStart(const WChar* path, int length);

// The members derived from the installer's own path (argv[0], as typed).
struct SelfPathTargets
{
    GString* selfPath;        // argv[0]
    GString* selfLinkTitle;   // the title format with its one text argument
    GString* selfCopy;        // installation folder, a backslash, file name of argv[0]
    GString* selfLink;        // menu folder + title + link suffix
};

// Composes the four targets (each replaced) from argv[0], the composed folders and the texts.
// The copy's path joins the folder and the file name with one backslash (none is added when
// the file name is empty, so a path ending in a backslash gives the folder itself).
// 0 only when memory runs out or a text does not format.
int ComposeSelfPaths(const WChar* argv0, GString& installDir, GString& menuDir, TextLookup lookup,
                     void* context, const SelfPathTargets& out);
