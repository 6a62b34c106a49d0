// The installation record: what the product installed, kept in the machine hive in the 32-bit
// registry view, read at start, rewritten by an install and taken apart by an uninstall.
//
//   record key          7\8\10         counts and paths of the files all installations share
//     shared key        24\23          document A, its links and its own usage count
//     product key       36\89          this product: its copy, link, version and options
#include "app/Install.h"

#include <stdlib.h>

#include "Bookkeeping.h"

namespace {

// The record lives in the 32-bit view: a 32-bit process is there by itself, a 64-bit build
// asks for it.
const REGSAM kRecordView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;
const REGSAM kRecordRead = KEY_READ | kRecordView;
const REGSAM kRecordWrite = KEY_WRITE | kRecordView;

// The record's keys, by StringId of their names.
enum RecordKeyName {
    kSoftwareKey = 7,
    kVendorKey = 8,
    kRecordKey = 10,
    kSharedGroupKey = 24,
    kSharedKey = 23,
    kProductGroupKey = 36,
    kProductKey = 89,
};

// The chain of open keys, closed in reverse when it goes.
struct CRecordKeys
{
    enum { kSoftware, kVendor, kRecord, kSharedGroup, kShared, kProductGroup, kProduct, kCount };
    HKEY key[kCount] = {};

    ~CRecordKeys()
    {
        for (int i = kCount - 1; i >= 0; --i)
            Close(i);
    }
    void Close(int i)
    {
        if (key[i]) {
            RegCloseKey(key[i]);
            key[i] = nullptr;
        }
    }
};

// Opens the keys of a chain one below the other, creating those from `createFrom` on; 0 when
// one fails (the keys opened so far stay in `keys`).
int OpenChain(CInstall& install, CRecordKeys& keys, const int* slots, const StringId* names,
              int count, HKEY parent, REGSAM access, int createFrom)
{
    for (int i = 0; i < count; ++i) {
        HKEY key = i >= createFrom ? install.CreateRegKey(parent, names[i], access)
                                   : install.OpenRegKey(parent, names[i], access);
        if (!key)
            return 0;
        keys.key[slots[i]] = key;
        parent = key;
    }
    return 1;
}

// The record key below the machine's software key, which is opened, never created.
int OpenRecordKey(CInstall& install, CRecordKeys& keys, REGSAM access, int create)
{
    static const int slots[] = {CRecordKeys::kSoftware, CRecordKeys::kVendor, CRecordKeys::kRecord};
    static const StringId names[] = {kSoftwareKey, kVendorKey, kRecordKey};
    return OpenChain(install, keys, slots, names, 3, HKEY_LOCAL_MACHINE, access, create ? 1 : 3);
}

int OpenSharedKey(CInstall& install, CRecordKeys& keys, REGSAM access, int create)
{
    static const int slots[] = {CRecordKeys::kSharedGroup, CRecordKeys::kShared};
    static const StringId names[] = {kSharedGroupKey, kSharedKey};
    return OpenChain(install, keys, slots, names, 2, keys.key[CRecordKeys::kRecord], access,
                     create ? 0 : 2);
}

int OpenProductKey(CInstall& install, CRecordKeys& keys, REGSAM access, int create)
{
    static const int slots[] = {CRecordKeys::kProductGroup, CRecordKeys::kProduct};
    static const StringId names[] = {kProductGroupKey, kProductKey};
    return OpenChain(install, keys, slots, names, 2, keys.key[CRecordKeys::kRecord], access,
                     create ? 0 : 2);
}

// Readers of one value. A value that is missing, or not of its type, leaves the field as it
// was; the result is 0 only when the value is required, which ends the whole reading.
int ReadRecordText(CInstall& install, HKEY key, StringId name, GString& field, int required)
{
    GString value;
    if (!install.QueryRegString(key, name, value))
        return !required;
    field.Assign(value);
    return 1;
}

int ReadRecordNumber(CInstall& install, HKEY key, StringId name, uint32_t& field, int required)
{
    return install.QueryRegDword(key, name, field) || !required;
}

// The values of the record, in the order they are read; 0 when a required one is missing.
int ReadRecordValues(CInstall& in, CRecordKeys& keys)
{
    HKEY key = keys.key[CRecordKeys::kRecord];
    if (!ReadRecordText(in, key, 11, in.m_regPrevLayout, 1) ||
        !ReadRecordNumber(in, key, 21, in.m_installCount, 1) ||
        !ReadRecordText(in, key, 72, in.m_regFileC, 1) ||
        !ReadRecordText(in, key, 73, in.m_regFileCMenuLink, 0) ||
        !ReadRecordText(in, key, 74, in.m_regFileCDesktopLink, 0) ||
        !ReadRecordText(in, key, 75, in.m_regTextMenuFile, 1) ||
        !ReadRecordText(in, key, 76, in.m_regTextDesktopFile, 0) ||
        !ReadRecordText(in, key, 31, in.m_regFileB, 1) ||
        !ReadRecordText(in, key, 32, in.m_regFileBMenuLink, 1) ||
        !ReadRecordText(in, key, 33, in.m_regFileBDesktopLink, 0) ||
        !ReadRecordText(in, key, 79, in.m_regFileD, 1) ||
        !ReadRecordNumber(in, key, 34, in.m_regVersion1, 1))
        return 0;

    // Without the shared-document key the reading goes on with the product key.
    if (OpenSharedKey(in, keys, kRecordRead, 0)) {
        key = keys.key[CRecordKeys::kShared];
        if (!ReadRecordText(in, key, 25, in.m_regFileA, 1) ||
            !ReadRecordText(in, key, 26, in.m_regFileAMenuLink, 1) ||
            !ReadRecordText(in, key, 27, in.m_regFileADesktopLink, 0) ||
            !ReadRecordNumber(in, key, 28, in.m_regVersion2, 1) ||
            !ReadRecordNumber(in, key, 29, in.m_regSharedCount, 1))
            return 0;
    }

    if (!OpenProductKey(in, keys, kRecordRead, 0))
        return 0;
    key = keys.key[CRecordKeys::kProduct];
    uint32_t version = 0;
    if (!ReadRecordText(in, key, 37, in.m_regSelfCopy, 1) ||
        !ReadRecordText(in, key, 38, in.m_regSelfLink, 1) ||
        !ReadRecordNumber(in, key, 39, version, 1))
        return 0;
    in.m_installedVersion = version;

    uint32_t byteCount = 0;
    uint8_t* assignments = in.QueryRegBinary(key, 157, byteCount);
    if (assignments)
        in.LoadKeyAssignments(assignments, byteCount);

    uint32_t value = 0;
    if (in.QueryRegDword(key, 158, value) && IsRecordedVariant(value))
        in.m_variant = (int32_t)value;
    if (in.QueryRegDword(key, 159, value) && IsRecordedFlag(value))
        in.m_decimalKey = (int32_t)value;
    if (in.QueryRegDword(key, 155, value) && IsRecordedFlag(value))
        in.m_forceAltLibraries = value;
    if (in.QueryRegDword(key, 156, value) && IsRecordedFlag(value))
        in.m_optAltLibraries = value;
    return 1;
}

// An older version of the product left no record, only its layout key: recognised by three of
// its values holding exactly this product's texts.
int IsOlderInstallation(CInstall& in)
{
    REGSAM access = KEY_READ | (in.m_osVersion > 50 ? KEY_WOW64_64KEY : 0);
    HKEY layouts = in.OpenRegKey(HKEY_LOCAL_MACHINE, 3, access);
    if (!layouts)
        return 0;
    HKEY layout = in.OpenRegKey(layouts, 85, access);
    RegCloseKey(layouts);
    if (!layout)
        return 0;
    GString text;
    int found = in.GetString(81, text) && in.RegStringEquals(layout, 17, text) &&
                in.GetString(84, text) && in.RegStringEquals(layout, 19, text) &&
                in.GetString(83, text) && in.RegStringEquals(layout, 18, text);
    RegCloseKey(layout);
    return found;
}

// The options and the key assignments, into the product key. The assignments are written when
// they can be had; their failure alone does not count.
int WriteRecordOptions(CInstall& in, HKEY product)
{
    if (!in.SetRegDword(product, 158, (uint32_t)in.m_variant) ||
        !in.SetRegDword(product, 159, (uint32_t)in.m_decimalKey) ||
        !in.SetRegDword(product, 155, in.m_forceAltLibraries) ||
        !in.SetRegDword(product, 156, in.m_optAltLibraries))
        return 0;
    uint32_t byteCount = 0;
    uint8_t* assignments = in.SaveKeyAssignments(byteCount);
    if (assignments) {
        in.SetRegBinary(product, 157, assignments, byteCount);
        free(assignments);
    }
    return 1;
}

// Value 11: the user's language and the layout active before the installation.
int FormatPreviousLayout(CInstall& in, GString& out)
{
    WChar name[KL_NAMELENGTH + 1] = {};
    if (!GetKeyboardLayoutNameW(name))
        return 0;
    name[KL_NAMELENGTH] = 0;
    GString format;
    in.GetString(12, format);
    return GString::Format(out, format.GetWide(), (int)GetUserDefaultLangID(), name);
}

} // namespace

// Whatever can be read stays in the fields; the reading stops at the first missing required
// value. Without a record of this version, a layout key of the older version is looked for.
// 1 when an installation was found.
int CInstall::ReadInstallRecord()
{
    m_installedVersion = 0;
    {
        CRecordKeys keys;
        if (OpenRecordKey(*this, keys, kRecordRead, 0))
            ReadRecordValues(*this, keys);
    }
    if (m_installedVersion == 0 && IsOlderInstallation(*this))
        m_installedVersion = kOlderVersion;
    return m_installedVersion != 0;
}

int CInstall::WriteInstallRecord()
{
    RecordWriteState state;
    state.settingsOnly = m_settingsOnly != 0;
    state.previousLayoutRecorded = m_regPrevLayout.GetLength() > 0;
    state.readMeRecorded = m_regFileCMenuLink.GetLength() > 0;
    state.madeReadMeDesktopLink = m_madeFileCDesktopLink != 0;
    state.textFilesRecorded = m_regTextMenuFile.GetLength() > 0;
    state.chartVersion = m_regVersion1;
    state.madeChartDesktopLink = m_madeFileBDesktopLink != 0;
    state.madeGuideDesktopLink = m_madeFileADesktopLink != 0;
    RecordWritePlan plan = PlanRecordWrites(state);

    CRecordKeys keys;
    if (state.settingsOnly) {
        // Only an existing record's options change: nothing is created.
        if (!OpenRecordKey(*this, keys, kRecordWrite, 0) ||
            !OpenProductKey(*this, keys, kRecordWrite, 0))
            return 0;
        return WriteRecordOptions(*this, keys.key[CRecordKeys::kProduct]);
    }

    GString previousLayout;
    if (plan.previousLayout && !FormatPreviousLayout(*this, previousLayout))
        return 0;
    if (!OpenRecordKey(*this, keys, kRecordWrite, 1))
        return 0;

    HKEY key = keys.key[CRecordKeys::kRecord];
    if ((plan.previousLayout && !SetRegString(key, 11, previousLayout)) ||
        !SetRegDword(key, 21, m_installCount))
        return 0;
    if (plan.readMe && (!SetRegString(key, 73, m_fileCMenuLink) || !SetRegString(key, 72, m_fileC)))
        return 0;
    if (plan.readMeDesktopLink && !SetRegString(key, 74, m_fileCDesktopLink))
        return 0;
    if (plan.textFiles && (!SetRegString(key, 75, m_textMenuFile) ||
                           !SetRegString(key, 76, m_textDesktopFile) ||
                           !SetRegString(key, 79, m_fileD)))
        return 0;
    if (plan.chart) {
        if (!SetRegString(key, 31, m_fileB) || !SetRegString(key, 32, m_fileBMenuLink))
            return 0;
        if (plan.chartDesktopLink && !SetRegString(key, 33, m_fileBDesktopLink))
            return 0;
        SetRegDword(key, 34, kThisVersion);
    }

    if (!OpenSharedKey(*this, keys, kRecordWrite, 1))
        return 0;
    key = keys.key[CRecordKeys::kShared];
    if (!SetRegString(key, 25, m_fileA) || !SetRegString(key, 26, m_fileAMenuLink))
        return 0;
    if (plan.guideDesktopLink && !SetRegString(key, 27, m_fileADesktopLink))
        return 0;
    if (!SetRegDword(key, 28, kThisVersion) || !SetRegDword(key, 29, m_regSharedCount))
        return 0;
    keys.Close(CRecordKeys::kShared);
    keys.Close(CRecordKeys::kSharedGroup);

    if (!OpenProductKey(*this, keys, kRecordWrite, 1))
        return 0;
    key = keys.key[CRecordKeys::kProduct];
    if (!SetRegString(key, 37, m_selfCopy) || !SetRegString(key, 38, m_selfLink) ||
        !SetRegDword(key, 39, kThisVersion))
        return 0;
    return WriteRecordOptions(*this, key);
}

// Takes this installation out of the record: the product key always, the shared-document key
// and the record key's values only when no installation uses them any more. Keys that still
// hold sub-keys of other products stay.
int CInstall::RemoveInstallRecord()
{
    CRecordKeys keys;
    if (!OpenRecordKey(*this, keys, kRecordWrite, 0) ||
        !OpenProductKey(*this, keys, kRecordWrite, 0))
        return 0;

    HKEY product = keys.key[CRecordKeys::kProduct];
    DeleteRegValue(product, 37);
    DeleteRegValue(product, 38);
    DeleteRegValue(product, 39);
    keys.Close(CRecordKeys::kProduct);
    DeleteRegKey(keys.key[CRecordKeys::kProductGroup], kProductKey);
    keys.Close(CRecordKeys::kProductGroup);
    HKEY record = keys.key[CRecordKeys::kRecord];
    DeleteRegKey(record, kProductGroupKey);

    // The shared-document key: without its group there is nothing to do; without the key
    // itself only the group is looked at.
    OpenSharedKey(*this, keys, kRecordWrite, 0);
    HKEY group = keys.key[CRecordKeys::kSharedGroup];
    HKEY shared = keys.key[CRecordKeys::kShared];
    if (group) {
        if (m_regSharedCount != 0) {
            SetRegDword(shared, 29, m_regSharedCount);
        } else {
            static const StringId guideValues[] = {25, 26, 27, 28, 29};
            for (StringId name : guideValues)
                DeleteRegValue(shared, name);
            keys.Close(CRecordKeys::kShared);
            DeleteRegKey(group, kSharedKey);
            keys.Close(CRecordKeys::kSharedGroup);
            DeleteRegKey(record, kSharedGroupKey);
        }
    }

    if (m_installCount != 0) {
        SetRegDword(record, 21, m_installCount);
    } else {
        static const StringId recordValues[] = {11, 21, 73, 72, 74, 75, 76, 31, 32, 33, 79, 34};
        for (StringId name : recordValues)
            DeleteRegValue(record, name);
        keys.Close(CRecordKeys::kRecord);
        DeleteRegKey(keys.key[CRecordKeys::kVendor], kRecordKey);
        keys.Close(CRecordKeys::kVendor);
        DeleteRegKey(keys.key[CRecordKeys::kSoftware], kVendorKey);
    }
    return 1;
}
