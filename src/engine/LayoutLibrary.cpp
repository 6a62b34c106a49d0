// The layout library for this system: the builds chosen from the payload, patched in memory,
// written beside the installation and moved over the system copies at the next restart.
#include "app/Install.h"

#include <shlobj.h>
#include <stdlib.h>

#include "LayoutPatch.h"
#include "payload/PayloadItems.h"

namespace {

typedef UINT(WINAPI* SystemWow64DirectoryProc)(LPWSTR buffer, UINT size);

const int kWow64DirectoryUnits = 2309;
const StringId kLibraryFileName = 83;
const StringId kSystemLibrary = 144;
const StringId kDisableRedirection = 56;
const StringId kRevertRedirection = 57;
const StringId kSystemWow64Directory = 60;

uint8_t* LookUpPattern(void* context, StringId id, uint32_t& byteCount)
{
    return static_cast<CInstall*>(context)->HexToBytes(id, byteCount);
}

} // namespace

uint8_t* CInstall::HexToBytes(StringId id, uint32_t& byteCount)
{
    byteCount = 0;
    GString text;
    if (!GetString(id, text) || text.GetLength() <= 0)
        return nullptr;
    const char* narrow = text.GetNarrow();
    if (!narrow)
        return nullptr;
    return HexTextToBytes(narrow, text.GetLength(), byteCount);
}

int CInstall::SelectLayoutItems(const uint8_t*& first, const uint8_t*& second, int32_t& firstSize,
                                int32_t& secondSize)
{
    first = nullptr;
    second = nullptr;
    firstSize = -1;
    secondSize = -1;
    int slot32 = -1;
    int slotNative = -1;
    if (!SelectLayoutSlots(m_osVersion, m_nativeArch, slot32, slotNative))
        return 0;
    // Before the variant is chosen there is no build to take.
    if (m_variant < 0 || m_variant >= kLayoutVariants)
        return 0;
    int set = (m_forceAltLibraries || m_optAltLibraries) ? 1 : 0;
    const PayloadItem& item32 = LayoutLibraryItems[set][m_variant][slot32];
    first = item32.data;
    firstSize = (int32_t)item32.storedSize;
    if (slotNative >= 0) {
        const PayloadItem& itemNative = LayoutLibraryItems[set][m_variant][slotNative];
        second = itemNative.data;
        secondSize = (int32_t)itemNative.storedSize;
    }
    return 1;
}

// A path that cannot be composed whole is no path: without the system folder, the 32-bit
// system folder, the file name or (when a temporary copy is asked for) the installation folder
// the result is 0, so that nothing is written to or moved onto a made-up place.
int CInstall::GetLayoutLibraryPaths(GString& dest32, GString& destNative, GString* temp32,
                                    GString* tempNative)
{
    dest32.Reset(true);
    destNative.Reset(true);
    if (temp32)
        temp32->Reset(true);
    if (tempNative)
        tempNative->Reset(true);
    GString name;
    if (!GetString(kLibraryFileName, name) || name.GetLength() <= 0)
        return 0;
    const WChar* fileName = name.GetWide();

    if ((temp32 || tempNative) && m_installDir.GetLength() <= 0)
        return 0;
    if (temp32) {
        temp32->Assign(m_installDir);
        temp32->AppendPath(fileName);
    }
    if (tempNative && m_is64BitOs) {
        tempNative->Assign(m_installDir);
        tempNative->AppendPath(fileName);
        tempNative->Append(WSTR("64"), 2);
    }

    if (m_is64BitOs) {
        if (!GetSpecialFolder(CSIDL_SYSTEM, destNative))
            return 0;
        HMODULE module = nullptr;
        FARPROC proc = GetSystemProc(kSystemWow64Directory, kSystemLibrary, module);
        SystemWow64DirectoryProc wow64Directory = (SystemWow64DirectoryProc)(void (*)(void))proc;
        if (!wow64Directory) {
            if (module)
                FreeLibrary(module);
            destNative.Reset(true);
            return 0;
        }
        WChar* buffer = dest32.GetWideBuffer(kWow64DirectoryUnits);
        UINT length = buffer ? wow64Directory(buffer, kWow64DirectoryUnits - 1) : 0;
        FreeLibrary(module);
        // 0 is a failure, and a length beyond the buffer is the size the call would need.
        if (length == 0 || length >= (UINT)kWow64DirectoryUnits - 1) {
            dest32.Reset(true);
            destNative.Reset(true);
            return 0;
        }
        dest32.SetLength((int)length);
        destNative.AppendPath(fileName);
    } else if (!GetSpecialFolder(CSIDL_SYSTEM, dest32)) {
        return 0;
    }
    dest32.AppendPath(fileName);
    return 1;
}

HMODULE CInstall::GetRedirectionSwitch(RedirectionDisableProc& disable,
                                       RedirectionRevertProc& revert)
{
    disable = nullptr;
    revert = nullptr;
    HMODULE module = LoadSystemLibrary(kSystemLibrary);
    if (!module)
        return nullptr;
    FARPROC off = GetSystemProc(kDisableRedirection, kSystemLibrary, module);
    FARPROC back = GetSystemProc(kRevertRedirection, kSystemLibrary, module);
    if (!off || !back) {
        FreeLibrary(module);
        return nullptr;
    }
    disable = (RedirectionDisableProc)(void (*)(void))off;
    revert = (RedirectionRevertProc)(void (*)(void))back;
    return module;
}

// The image is decoded afresh, patched, written to the temporary path and scheduled to replace
// the destination at the next restart. 1 only when the replacement was scheduled: a library
// that will never reach the system folder is no installed library.
int CInstall::PatchLayoutLibrary(const WChar* destination, const WChar* tempPath,
                                 const uint8_t* item, int32_t storedSize)
{
    if (!destination || !tempPath || !item || storedSize < 0)
        return 0;
    uint32_t length = (uint32_t)storedSize;
    uint32_t extra = 0;
    uint8_t* image = m_guard.ReadItem(item, length, &extra);
    if (!image)
        return 0;
    if (!PatchLayoutImage(image, length, m_keyMap, m_keyMapCount, m_variant, m_decimalKey,
                          LookUpPattern, this)) {
        free(image);
        return 0;
    }

    HANDLE file = CreateOutputFile(tempPath);
    int written = file ? WriteBytes(file, image, length) : 0;
    if (file)
        CloseHandle(file);
    free(image);
    if (!written || !destination[0] || !tempPath[0])
        return 0;

    BOOL moved = FALSE;
    if (m_is64BitOs) {
        // The destinations are the system's own folders as a 64-bit program sees them; a 32-bit
        // program must not be redirected while it names them.
        RedirectionDisableProc disable = nullptr;
        RedirectionRevertProc revert = nullptr;
        HMODULE module = GetRedirectionSwitch(disable, revert);
        PVOID previous = nullptr;
        if (disable)
            disable(&previous);
        moved = MoveFileExW(tempPath, destination,
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
        if (revert)
            revert(previous);
        if (module)
            FreeLibrary(module);
    } else {
        moved = MoveFileExW(tempPath, destination,
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return moved ? 1 : 0;
}

int CInstall::InstallLayoutLibraries()
{
    GString dest32, destNative, temp32, tempNative;
    if (!GetLayoutLibraryPaths(dest32, destNative, &temp32, &tempNative))
        return 0;
    const uint8_t* first = nullptr;
    const uint8_t* second = nullptr;
    int32_t firstSize = -1;
    int32_t secondSize = -1;
    if (!SelectLayoutItems(first, second, firstSize, secondSize) || !first)
        return 0;
    if (!PatchLayoutLibrary(dest32.GetWide(), temp32.GetWide(), first, firstSize))
        return 0;
    if (!m_is64BitOs)
        return 1;
    if (!second)
        return 0;
    return PatchLayoutLibrary(destNative.GetWide(), tempNative.GetWide(), second, secondSize);
}
