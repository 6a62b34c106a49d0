// Shortcuts and the shell: shell links through the link object's published interfaces, and the
// program the system associates with a file type.
#include "app/Install.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "ShellRules.h"

namespace {

const uint32_t kAssocUnits = 2048;

int32_t AskExecutable(void* context, WChar* buffer, uint32_t& units)
{
    DWORD size = units;
    HRESULT result = AssocQueryStringW(0, ASSOCSTR_EXECUTABLE, (const WChar*)context, nullptr,
                                       buffer, &size);
    units = size;
    return (int32_t)result;
}

} // namespace

// A link counts as made only when it was saved: an unsaved link would be recorded as made.
int CInstall::CreateShortcut(const WChar* target, const WChar* link, const WChar* description,
                             const WChar* iconLocation, int iconIndex)
{
    if (!target || !link || !link[0])
        return 0;
    IShellLinkW* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                (void**)&shellLink)) ||
        !shellLink)
        return 0;
    shellLink->SetPath(target);
    shellLink->SetDescription(description ? description : WSTR(""));
    if (iconLocation)
        shellLink->SetIconLocation(iconLocation, iconIndex);
    IPersistFile* file = nullptr;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, (void**)&file)) || !file) {
        shellLink->Release();
        return 0;
    }
    HRESULT saved = file->Save(link, TRUE);
    file->Release();
    shellLink->Release();
    return SUCCEEDED(saved) ? 1 : 0;
}

int CInstall::GetAssociatedProgram(StringId fileType, GString& out)
{
    out.Reset(true);
    GString type;
    if (!GetString(fileType, type))
        return 0;
    return QueryText(AskExecutable, (void*)type.GetWide(), kAssocUnits, 0, out) >= 0;
}

// The format takes two texts: the program's path, then the argument.
int CInstall::OpenWithAssociatedProgram(StringId fileType, StringId format, const WChar* argument)
{
    GString program;
    if (!GetAssociatedProgram(fileType, program))
        return 0;
    return RunCommand(format, program.GetWide(), argument ? argument : WSTR(""));
}

int CInstall::OpenInfoDocument()
{
    GString document;
    GetString(95, document);
    return OpenWithAssociatedProgram(41, 2, document.GetWide());
}

// Unlike GetAssociatedProgram, a path longer than the first buffer is still read.
int CInstall::CheckAssociatedProgram(StringId fileType, StringId needle)
{
    GString type;
    if (!GetString(fileType, type))
        return 0;
    GString path;
    if (QueryText(AskExecutable, (void*)type.GetWide(), kAssocUnits, 1, path) < 0)
        return 0;
    GString text;
    if (!GetString(needle, text))
        return 0;
    return PathNamesProgram(path, text);
}
