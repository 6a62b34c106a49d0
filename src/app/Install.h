// CInstall: the installer object. It holds the whole state of a run: payload access, platform
// facts, the user's choices, the composed paths and the state of an existing installation.
#pragma once

#include "../engine/KeyTable.h"
#include "InstallBase.h"

class CWizard;

// The file-system redirection pair of a 64-bit system: disable stores the previous state in a
// pointer-sized cell, revert takes that state back.
typedef BOOL(WINAPI* RedirectionDisableProc)(PVOID* previous);
typedef BOOL(WINAPI* RedirectionRevertProc)(PVOID previous);

class CInstall : public CInstallBase
{
public:
    CInstall();
    virtual ~CInstall();

    HWND GetOwnerWindow() override;
    bool Init(HINSTANCE instance) override;
    void FreePayload() override;
    const void* FindString(StringId id) override;

    bool Run();
    void Finish();
    bool SetLanguageIndex(int index);

    // Reads a UTF-8 text item into `out` as a narrow string, without a leading byte-order mark.
    bool ReadTextItem(const uint8_t* item, uint32_t size, GString& out);

    int ChooseVariant();
    int SetVariant(int variant);
    int ChooseDecimalKey();
    int SetDecimalKey(int decimalKey);
    int GetAltLibraries() const { return (int)m_optAltLibraries; }
    void SetAltLibraries(int alt) { m_optAltLibraries = (uint32_t)alt; }

    // Platform probe and checks.
    bool ProbePlatform(StringId procName, StringId libName);
    bool IsPlatformSupported();
    bool IsUserAdmin();
    bool CheckSingleInstance();
    int ShowMessage(StringId text, UINT type);
    HMODULE LoadSystemLibrary(StringId libName);
    FARPROC GetSystemProc(StringId procName, StringId libName, HMODULE& module);

    // Installation paths.
    bool BuildPaths();

    // Key table: thin members over the key-map operations, on m_keyMap.
    const KeyMapEntry* FindDefaultKey(uint32_t scanCode);
    KeyMapEntry* FindKey(uint32_t scanCode);
    int NormaliseKeyMap();
    int LoadKeyAssignments(uint8_t* buffer, uint32_t byteCount);
    uint8_t* SaveKeyAssignments(uint32_t& byteCount);

    // Registry access. The raw forms take the name as UTF-16 text. The by-id forms look it up
    // into m_scratch (SetRegString and RegStringEquals into a local string, so that their text
    // may be any string, m_scratch included) and fail before any registry call when the id is
    // in no table. Handles returned belong to the caller (RegCloseKey).
    HKEY OpenRegKey(HKEY parent, const WChar* name, REGSAM access);
    HKEY OpenRegKey(HKEY parent, StringId name, REGSAM access);
    HKEY CreateRegKey(HKEY parent, const WChar* name, REGSAM access);
    HKEY CreateRegKey(HKEY parent, StringId name, REGSAM access);
    int SetRegBinary(HKEY key, const WChar* name, const void* bytes, uint32_t byteCount);
    int SetRegBinary(HKEY key, StringId name, const void* bytes, uint32_t byteCount);
    uint8_t* QueryRegBinary(HKEY key, const WChar* name, uint32_t& byteCount);
    uint8_t* QueryRegBinary(HKEY key, StringId name, uint32_t& byteCount);
    int SetRegDword(HKEY key, const WChar* name, uint32_t value);
    int SetRegDword(HKEY key, StringId name, uint32_t value);
    int QueryRegDword(HKEY key, const WChar* name, uint32_t& value);
    int QueryRegDword(HKEY key, StringId name, uint32_t& value);
    int SetRegString(HKEY key, const WChar* name, GString& text);
    int SetRegString(HKEY key, StringId name, GString& text);
    int SetRegString(HKEY key, StringId name, StringId text);
    int QueryRegString(HKEY key, const WChar* name, GString& out);
    int QueryRegString(HKEY key, StringId name, GString& out);
    int RegStringEquals(HKEY key, const WChar* name, GString& text);
    int RegStringEquals(HKEY key, StringId name, GString& text);
    int DeleteRegValue(HKEY key, const WChar* name);
    void DeleteRegValue(HKEY key, StringId name);
    int DeleteRegKey(HKEY parent, StringId name);
    int SetMachineRegString(StringId keyPath, StringId name, StringId text);

    // File operations. Handles returned belong to the caller (CloseHandle).
    HANDLE CreateOutputFile(const WChar* path);
    int WriteBytes(HANDLE file, const void* bytes, uint32_t byteCount);
    int WriteText(HANDLE file, GString& text);
    int GetSpecialFolder(int csidl, GString& out);
    int DeleteOrSchedule(const WChar* path);
    int DeleteOrSchedule(GString& path);
    int RemoveDir(GString& path);
    int EnsureDirectory(const WChar* path);
    int GetTempDir(GString& out);
    int MakeTempFile(GString& out, StringId prefix, const WChar* directory);
    int RunCommand(StringId format, ...);
    int WriteItemToFile(const WChar* path, const uint8_t* item, uint32_t storedSize);
    int WriteFileC(const WChar* path);

    // Shortcuts and the shell. A link is made when it was saved; the association texts and
    // the command-line format come from the string tables.
    int CreateShortcut(const WChar* target, const WChar* link, const WChar* description,
                       const WChar* iconLocation, int iconIndex);
    int GetAssociatedProgram(StringId fileType, GString& out);
    int OpenWithAssociatedProgram(StringId fileType, StringId format, const WChar* argument);
    int CheckAssociatedProgram(StringId fileType, StringId needle);

    // The installation record, in the 32-bit registry view. Reading fills the recorded fields
    // and gives 1 when an installation (this version's or the older one) was found.
    int ReadInstallRecord();
    int WriteInstallRecord();
    int RemoveInstallRecord();

    // Layout-library customisation: the builds for this system, patched with the key map and
    // the decimal key, written beside the installation and moved over the system copies at the
    // next restart. Buffers returned belong to the caller (free()); so does the module handle
    // of GetRedirectionSwitch (FreeLibrary).
    uint8_t* HexToBytes(StringId id, uint32_t& byteCount);
    int SelectLayoutItems(const uint8_t*& first, const uint8_t*& second, int32_t& firstSize,
                          int32_t& secondSize);
    int GetLayoutLibraryPaths(GString& dest32, GString& destNative, GString* temp32 = nullptr,
                              GString* tempNative = nullptr);
    HMODULE GetRedirectionSwitch(RedirectionDisableProc& disable, RedirectionRevertProc& revert);
    int PatchLayoutLibrary(const WChar* destination, const WChar* tempPath, const uint8_t* item,
                           int32_t storedSize);
    int InstallLayoutLibraries();

    // Layout registration: the layout key, the system scan-code map, the toggle values and the
    // input-language scripts.
    int RegisterLayout();
    int UnregisterLayout();
    int ReadScancodeMap();
    int WriteScancodeMap();
    int WriteToggleValues();
    int RunLanguageScript(uint16_t langId, uint32_t flag);
    int RunUndoScript();

    // Steps of Run and Finish that later parts of the engine provide.
    bool WriteFinishValue();
    bool RestartSystem();

    // The sequences behind the pages' commands, and the welcome page's document button. Install
    // and Uninstall give 1 when they ran to the end; nothing is undone after a failed step.
    int Install();
    int InstallFiles();
    int RemoveOldFiles(int withLibraries);
    int ScheduleLayoutLibraryRemoval();
    int Uninstall();
    int OpenInfoDocument();

    uint16_t m_defaultLangId;
    uint16_t m_targetLangId;
    uint32_t m_optLangSettings;
    uint32_t m_assocMatch;
    uint32_t m_isAdmin;
    uint32_t m_uninstallDone;
    uint32_t m_installDone;
    uint32_t m_restartRequested;
    uint32_t m_eulaAccepted;
    uint32_t m_optToggleKeys;
    uint32_t m_optDesktopLinks;
    uint32_t m_madeFileCDesktopLink;
    uint32_t m_madeFileADesktopLink;
    uint32_t m_madeFileBDesktopLink;
    int32_t m_variant;
    int32_t m_decimalKey;
    uint32_t m_forceAltLibraries;
    uint32_t m_optAltLibraries;
    uint32_t m_settingsOnly;
    uint32_t m_hadScancodeMap;
    KeyMapEntry* m_keyMap;
    int32_t m_keyMapCount;
    StringTable m_installStrings;
    CWizard* m_wizard;

    GString m_langName;
    GString m_regPrevLayout;
    GString m_vendorDir;
    GString m_installDir;
    GString m_menuVendorDir;
    GString m_menuDir;
    GString m_regFileA;
    GString m_fileA;
    GString m_regFileAMenuLink;
    GString m_fileAMenuLink;
    GString m_regFileADesktopLink;
    GString m_fileADesktopLink;
    GString m_regFileB;
    GString m_fileB;
    GString m_regFileBMenuLink;
    GString m_fileBMenuLink;
    GString m_regFileBDesktopLink;
    GString m_fileBDesktopLink;
    GString m_regFileC;
    GString m_fileC;
    GString m_regFileCMenuLink;
    GString m_fileCMenuLink;
    GString m_regFileCDesktopLink;
    GString m_fileCDesktopLink;
    GString m_regTextMenuFile;
    GString m_textMenuFile;
    GString m_regTextDesktopFile;
    GString m_textDesktopFile;
    GString m_regFileD;
    GString m_fileD;
    GString m_selfPath;
    GString m_selfLinkTitle;
    GString m_regSelfCopy;
    GString m_selfCopy;
    GString m_regSelfLink;
    GString m_selfLink;

    uint32_t m_regVersion1;
    uint32_t m_regVersion2;
    uint32_t m_regSharedCount;
    uint32_t m_installedVersion;
    uint32_t m_installCount;

    // Entries of the system scan-code map read at start for keys the key table has no row for
    // (raw u32 entries, owned): written back unchanged with the rows' remaps.
    uint32_t* m_otherScanMappings;
    int32_t m_otherScanMappingCount;

private:
    bool ReadTableItem(const struct PayloadItem& item, StringTable& table);
};
