// What the system is told about the layout: its key under the machine's keyboard layouts, the
// system scan-code map, the current user's toggle values and the input-language scripts.
#include "app/Install.h"

#include <stdlib.h>

#include "LayoutScripts.h"
#include "ScancodeMap.h"

namespace {

typedef LONG(WINAPI* DeleteKeyInViewProc)(HKEY parent, LPCWSTR name, REGSAM view, DWORD reserved);

const StringId kLayoutsKey = 3;
const StringId kScancodeMapKey = 5;
const StringId kScancodeMapValue = 6;
const StringId kToggleKey = 13;
const StringId kToggleValues[] = {14, 15, 16};
const StringId kLayoutKeyName = 85;
const StringId kRegistryLibrary = 145;
const StringId kDeleteKeyInView = 59;
const StringId kScriptPrefix = 47;
const StringId kScriptCommand = 49;
const StringId kPlainLanguageScript = 62;
const StringId kUserLanguageScript = 63;
const StringId kDefaultInputMessage = 64;
const StringId kUndoScriptBefore60 = 65;
const StringId kUndoScriptFrom60 = 66;
const StringId kScriptUser = 90;

// The layout key's values in the order they are written: value name, text.
const StringId kLayoutValueNames[] = {17, 20, 19, 18};
const StringId kLayoutValueTexts[] = {81, 87, 84, 83};

const REGSAM kView64 = KEY_WOW64_64KEY;

// The text of `id`; a text that no table has is the empty text.
const WChar* TextOf(CInstall& install, StringId id, GString& holder)
{
    install.GetString(id, holder);
    return holder.GetWide();
}

} // namespace

int CInstall::RegisterLayout()
{
    REGSAM access = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | (m_is64BitOs ? kView64 : 0);
    HKEY layouts = OpenRegKey(HKEY_LOCAL_MACHINE, kLayoutsKey, access);
    if (!layouts)
        return 0;
    HKEY layout = CreateRegKey(layouts, kLayoutKeyName, access);
    if (!layout) {
        RegCloseKey(layouts);
        return 0;
    }
    int written = 1;
    for (int i = 0; i < 4 && written; ++i)
        written = SetRegString(layout, kLayoutValueNames[i], kLayoutValueTexts[i]);
    RegCloseKey(layout);
    RegCloseKey(layouts);
    return written;
}

int CInstall::UnregisterLayout()
{
    REGSAM access = KEY_WRITE | (m_is64BitOs ? kView64 : 0);
    HKEY layouts = OpenRegKey(HKEY_LOCAL_MACHINE, kLayoutsKey, access);
    if (!layouts)
        return 0;
    HKEY layout = OpenRegKey(layouts, kLayoutKeyName, access);
    if (!layout) {
        RegCloseKey(layouts);
        return 0;
    }
    for (StringId name : kLayoutValueNames)
        DeleteRegValue(layout, name);
    RegCloseKey(layout);

    // The key is deleted in the view it was written in. The name is looked up into a string of
    // its own: resolving the function overwrites m_scratch.
    GString keyName;
    GetString(kLayoutKeyName, keyName);
    HMODULE module = nullptr;
    int deleted = 0;
    if (m_is64BitOs && keyName.GetLength() > 0) {
        FARPROC proc = GetSystemProc(kDeleteKeyInView, kRegistryLibrary, module);
        DeleteKeyInViewProc deleteInView = (DeleteKeyInViewProc)(void (*)(void))proc;
        if (deleteInView)
            deleted = deleteInView(layouts, keyName.GetWide(), kView64, 0) == ERROR_SUCCESS;
    }
    if (!deleted)
        DeleteRegKey(layouts, kLayoutKeyName);
    RegCloseKey(layouts);
    if (module)
        FreeLibrary(module);
    return 1;
}

// The outcome shows in m_keyMap, m_hadScancodeMap and the entries kept for keys without a row.
int CInstall::ReadScancodeMap()
{
    if (!m_keyMap || m_keyMapCount <= 0)
        return 0;
    free(m_otherScanMappings);
    m_otherScanMappings = nullptr;
    m_otherScanMappingCount = 0;
    HKEY key = OpenRegKey(HKEY_LOCAL_MACHINE, kScancodeMapKey, KEY_READ);
    if (!key)
        return 0;
    uint32_t size = 0;
    uint8_t* value = QueryRegBinary(key, kScancodeMapValue, size);
    if (value) {
        m_hadScancodeMap = 1;
        uint32_t* others = nullptr;
        int otherCount = 0;
        ApplyScancodeMap(m_keyMap, m_keyMapCount, value, size, others, otherCount);
        m_otherScanMappings = others;
        m_otherScanMappingCount = otherCount;
        free(value);
    }
    RegCloseKey(key);
    return 0;
}

int CInstall::WriteScancodeMap()
{
    if (!m_keyMap || m_keyMapCount <= 0)
        return 0;
    int mappings = CountScancodeMappings(m_keyMap, m_keyMapCount,
                                         m_otherScanMappings ? m_otherScanMappingCount : 0);
    if (mappings == 0 && !m_hadScancodeMap)
        return 1;
    uint32_t size = 0;
    uint8_t* value = BuildScancodeMap(m_keyMap, m_keyMapCount, m_otherScanMappings,
                                      m_otherScanMappingCount, size);
    if (!value)
        return 0;
    int written = 0;
    HKEY key = OpenRegKey(HKEY_LOCAL_MACHINE, kScancodeMapKey, KEY_WRITE);
    if (key) {
        written = SetRegBinary(key, kScancodeMapValue, value, size);
        RegCloseKey(key);
    }
    free(value);
    return written;
}

int CInstall::WriteToggleValues()
{
    HKEY key = OpenRegKey(HKEY_CURRENT_USER, kToggleKey, KEY_READ | KEY_WRITE);
    if (!key)
        return 0;
    // "3": no key combination switches languages or layouts.
    GString none;
    none.AssignWide(WSTR("3"), 1);
    int written = 1;
    for (int i = 0; i < 3 && written; ++i)
        written = SetRegString(key, kToggleValues[i], none);
    RegCloseKey(key);
    return written;
}

// The script is written to a temporary file, run by the system command and deleted (or, when
// the command still holds it, scheduled for deletion). 0 when the script could not be written
// whole: then nothing ran.
int CInstall::RunLanguageScript(uint16_t langId, uint32_t flag)
{
    if (m_osVersion < 60)
        return 1;
    GString path;
    if (!MakeTempFile(path, kScriptPrefix, nullptr))
        return 0;

    GString plain, withUser, user, layoutKey, message;
    LanguageScriptTexts texts;
    texts.plainFormat = TextOf(*this, kPlainLanguageScript, plain);
    texts.userFormat = TextOf(*this, kUserLanguageScript, withUser);
    texts.user = TextOf(*this, kScriptUser, user);
    texts.layoutKey = TextOf(*this, kLayoutKeyName, layoutKey);
    message.Reset(true);
    texts.message = flag ? TextOf(*this, kDefaultInputMessage, message) : message.GetWide();
    GString script;
    int composed = ComposeLanguageScript(script, texts, m_osVersion, langId);

    HANDLE file = CreateOutputFile(path.GetWide());
    if (!file) {
        DeleteOrSchedule(path);
        return 0;
    }
    int written = composed ? WriteText(file, script) : 0;
    CloseHandle(file);
    if (written) {
        RunCommand(kScriptCommand, path.GetWide());
        Sleep(500);
    }
    DeleteOrSchedule(path);
    return written;
}

int CInstall::RunUndoScript()
{
    if (m_installCount > 1)
        return 1;
    GString path;
    if (!MakeTempFile(path, kScriptPrefix, nullptr))
        return 0;

    GString before60, from60, script;
    int composed = ComposeUndoScript(script, TextOf(*this, kUndoScriptBefore60, before60),
                                     TextOf(*this, kUndoScriptFrom60, from60), m_osVersion);
    HANDLE file = CreateOutputFile(path.GetWide());
    int written = 0;
    if (file) {
        written = composed ? WriteText(file, script) : 0;
        CloseHandle(file);
    }
    if (!written) {
        DeleteOrSchedule(path);
        return 0;
    }
    RunCommand(kScriptCommand, path.GetWide());
    DeleteOrSchedule(path);
    return 1;
}
