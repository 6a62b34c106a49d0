#include "PathRules.h"

namespace {

// The string-table texts the paths are made of.
enum PathText {
    kVendorFolder = 9,
    kProductFolder = 10,
    kProductName = 22,
    kProductEdition = 23,
    kFileBName = 30,
    kDocumentSuffix = 42,
    kLinkSuffix = 43,
    kFileCSuffix = 44,
    kTextSuffix = 46,
    kSelfTitleFormat = 48,
    kTextName = 70,
    kFileCName = 71,
    kFileDName = 80,
    kSelfTitleText = 81,
};

void Fetch(TextLookup lookup, void* context, StringId id, GString& text)
{
    text.Reset(true);
    if (lookup && !lookup(context, id, text))
        text.Reset(true);
}

int Compose(GString& out, const WChar* base, const GString* a, const GString* b = nullptr)
{
    out.Reset(true);
    if (!out.AppendW(base))
        return 0;
    if (a && !out.Append(*a))
        return 0;
    if (b && !out.Append(*b))
        return 0;
    return 1;
}

int Compose(GString& out, GString& base, const GString* a, const GString* b = nullptr)
{
    const WChar* text = base.GetWide();
    return text && Compose(out, text, a, b);
}

} // namespace

int ComposeInstallPaths(const PathFolders& folders, TextLookup lookup, void* context,
                        const InstallPathTargets& out)
{
    GString fileCName, textName, fileDName, name, edition, displayName;
    GString fileBName, documentSuffix, linkSuffix, fileCSuffix, textSuffix, vendor, product;
    struct {
        StringId id;
        GString* text;
    } texts[] = {
        {kFileCName, &fileCName},         {kTextName, &textName},
        {kFileDName, &fileDName},         {kProductName, &name},
        {kProductEdition, &edition},      {kFileBName, &fileBName},
        {kDocumentSuffix, &documentSuffix}, {kLinkSuffix, &linkSuffix},
        {kFileCSuffix, &fileCSuffix},     {kTextSuffix, &textSuffix},
        {kVendorFolder, &vendor},         {kProductFolder, &product},
    };
    for (auto& t : texts)
        Fetch(lookup, context, t.id, *t.text);
    displayName.Reset(true);
    if (!displayName.Append(name) || !displayName.AppendW(WSTR(" ("), 2) ||
        !displayName.Append(edition) || !displayName.AppendW(WSTR(")"), 1))
        return 0;

    int ok = 1;
    ok &= Compose(*out.vendorDir, folders.programFiles, &vendor);
    ok &= Compose(*out.installDir, *out.vendorDir, &product);
    ok &= Compose(*out.menuVendorDir, folders.programs, &vendor);
    ok &= Compose(*out.menuDir, *out.menuVendorDir, &product);
    ok &= Compose(*out.fileA, *out.installDir, &displayName, &documentSuffix);
    ok &= Compose(*out.fileAMenuLink, *out.menuDir, &displayName, &linkSuffix);
    ok &= Compose(*out.fileADesktopLink, folders.desktop, &displayName, &linkSuffix);
    ok &= Compose(*out.fileB, *out.installDir, &fileBName, &documentSuffix);
    ok &= Compose(*out.fileBMenuLink, *out.menuDir, &fileBName, &linkSuffix);
    ok &= Compose(*out.fileBDesktopLink, folders.desktop, &fileBName, &linkSuffix);
    ok &= Compose(*out.fileC, *out.installDir, &fileCName, &fileCSuffix);
    ok &= Compose(*out.fileCMenuLink, *out.menuDir, &fileCName, &linkSuffix);
    ok &= Compose(*out.fileCDesktopLink, folders.desktop, &fileCName, &linkSuffix);
    ok &= Compose(*out.textMenuFile, *out.menuDir, &textName, &textSuffix);
    ok &= Compose(*out.textDesktopFile, folders.desktop, &textName, &textSuffix);
    ok &= Compose(*out.fileD, *out.installDir, &fileDName);
    return ok;
}

int FileNameStart(const WChar* path, int length)
{
    if (!path)
        return 0;
    if (length < 0)
        length = WideLength(path);
    for (int i = length - 1; i >= 0; --i) {
        if (path[i] == '\\')
            return i + 1;
    }
    return 0;
}

int ComposeSelfPaths(const WChar* argv0, GString& installDir, GString& menuDir, TextLookup lookup,
                     void* context, const SelfPathTargets& out)
{
    GString titleFormat, titleText, linkSuffix;
    Fetch(lookup, context, kSelfTitleFormat, titleFormat);
    Fetch(lookup, context, kSelfTitleText, titleText);
    Fetch(lookup, context, kLinkSuffix, linkSuffix);

    out.selfPath->Reset(true);
    if (!out.selfPath->AppendW(argv0))
        return 0;
    const WChar* self = out.selfPath->GetWide();
    if (!self)
        return 0;
    int nameStart = FileNameStart(self, out.selfPath->GetLength());
    GString fileName;
    fileName.Reset(true);
    if (!fileName.AppendW(self + nameStart, out.selfPath->GetLength() - nameStart))
        return 0;

    // Every other path gets its backslashes from the texts, but the file name of argv[0] has
    // none of its own: the copy goes into the installation folder, not beside it.
    int ok = Compose(*out.selfCopy, installDir, nullptr);
    if (fileName.GetLength() > 0 && out.selfCopy->GetLength() > 0 &&
        *out.selfCopy->WideAt(out.selfCopy->GetLength() - 1) != '\\')
        ok &= out.selfCopy->AppendChar('\\');
    ok &= out.selfCopy->Append(fileName);
    const WChar* format = titleFormat.GetWide();
    const WChar* text = titleText.GetWide();
    if (!format || !text || !GString::Format(*out.selfLinkTitle, format, text))
        ok = 0;
    ok &= Compose(*out.selfLink, menuDir, out.selfLinkTitle, &linkSuffix);
    return ok;
}
