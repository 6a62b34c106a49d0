// Registry access: thin members over advapi32. Failures are silent (0 or null); the callers
// decide what a failure means and close every key they opened.
#include "app/Install.h"

#include <stdint.h>
#include <stdlib.h>

namespace {

bool IsEmpty(const WChar* name)
{
    return !name || !name[0];
}

} // namespace

HKEY CInstall::OpenRegKey(HKEY parent, const WChar* name, REGSAM access)
{
    // An empty name would give a second handle to the parent, which no caller means.
    if (!parent || IsEmpty(name))
        return nullptr;
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name, 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CInstall::OpenRegKey(HKEY parent, StringId name, REGSAM access)
{
    if (!GetString(name, m_scratch))
        return nullptr;
    return OpenRegKey(parent, m_scratch.GetWide(), access);
}

HKEY CInstall::CreateRegKey(HKEY parent, const WChar* name, REGSAM access)
{
    if (!parent || IsEmpty(name))
        return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CInstall::CreateRegKey(HKEY parent, StringId name, REGSAM access)
{
    if (!GetString(name, m_scratch))
        return nullptr;
    return CreateRegKey(parent, m_scratch.GetWide(), access);
}

int CInstall::SetRegBinary(HKEY key, const WChar* name, const void* bytes, uint32_t byteCount)
{
    if (!key || (!bytes && byteCount))
        return 0;
    return RegSetValueExW(key, name, 0, REG_BINARY, (const BYTE*)bytes, byteCount) == ERROR_SUCCESS;
}

int CInstall::SetRegBinary(HKEY key, StringId name, const void* bytes, uint32_t byteCount)
{
    if (!GetString(name, m_scratch))
        return 0;
    return SetRegBinary(key, m_scratch.GetWide(), bytes, byteCount);
}

// The buffer has exactly the size the registry reported and the second read is limited to
// it, so a value that changed in between fails instead of overrunning.
uint8_t* CInstall::QueryRegBinary(HKEY key, const WChar* name, uint32_t& byteCount)
{
    byteCount = 0;
    if (!key)
        return nullptr;
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
        return nullptr;
    if (size == 0 || type != REG_BINARY)
        return nullptr;
    uint8_t* buffer = (uint8_t*)malloc(size);
    if (!buffer)
        return nullptr;
    DWORD got = size;
    type = REG_NONE;
    result = RegQueryValueExW(key, name, nullptr, &type, buffer, &got);
    if (result != ERROR_SUCCESS || got != size || type != REG_BINARY) {
        free(buffer);
        return nullptr;
    }
    byteCount = size;
    return buffer;
}

uint8_t* CInstall::QueryRegBinary(HKEY key, StringId name, uint32_t& byteCount)
{
    byteCount = 0;
    if (!GetString(name, m_scratch))
        return nullptr;
    return QueryRegBinary(key, m_scratch.GetWide(), byteCount);
}

int CInstall::SetRegDword(HKEY key, const WChar* name, uint32_t value)
{
    if (!key)
        return 0;
    DWORD data = value;
    return RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&data, sizeof data) == ERROR_SUCCESS;
}

int CInstall::SetRegDword(HKEY key, StringId name, uint32_t value)
{
    if (!GetString(name, m_scratch))
        return 0;
    return SetRegDword(key, m_scratch.GetWide(), value);
}

// `value` is written only when a whole REG_DWORD came back.
int CInstall::QueryRegDword(HKEY key, const WChar* name, uint32_t& value)
{
    if (!key)
        return 0;
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&data, &size) != ERROR_SUCCESS)
        return 0;
    if (type != REG_DWORD || size != sizeof data)
        return 0;
    value = data;
    return 1;
}

int CInstall::QueryRegDword(HKEY key, StringId name, uint32_t& value)
{
    if (!GetString(name, m_scratch))
        return 0;
    return QueryRegDword(key, m_scratch.GetWide(), value);
}

// Always written with its terminating NUL: 2 x length + 2 bytes.
int CInstall::SetRegString(HKEY key, const WChar* name, GString& text)
{
    if (!key || IsEmpty(name))
        return 0;
    const WChar* wide = text.GetWide();
    if (!wide)
        return 0;
    uint64_t bytes = (uint64_t)text.GetLength() * 2 + 2;
    if (bytes > 0xFFFFFFFFu)
        return 0;
    return RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)wide, (DWORD)bytes) == ERROR_SUCCESS;
}

int CInstall::SetRegString(HKEY key, StringId name, GString& text)
{
    GString nameText;
    if (!GetString(name, nameText))
        return 0;
    return SetRegString(key, nameText.GetWide(), text);
}

int CInstall::SetRegString(HKEY key, StringId name, StringId text)
{
    GString nameText;
    GString valueText;
    if (!GetString(name, nameText) || !GetString(text, valueText))
        return 0;
    return SetRegString(key, nameText.GetWide(), valueText);
}

// Only REG_SZ counts; REG_EXPAND_SZ and every other type read as missing. The text ends one
// unit before the returned byte count (the terminator, or the last character of a value stored
// without one); an odd last byte is dropped. The read never passes the size first reported.
int CInstall::QueryRegString(HKEY key, const WChar* name, GString& out)
{
    if (!key || IsEmpty(name))
        return 0;
    out.Reset(true);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return 0;
    if (type != REG_SZ)
        return 0;
    if (size == 0)
        return 1;
    if (size > 0x7FFFFFF0u)
        return 0;
    // Room for every reported byte (an odd count rounds up); the string keeps its terminator
    // slot beyond that.
    WChar* buffer = out.GetWideBuffer((int)((size + 1) / 2));
    if (!buffer)
        return 0;
    DWORD got = size;
    type = REG_NONE;
    LONG result = RegQueryValueExW(key, name, nullptr, &type, (BYTE*)buffer, &got);
    if (result != ERROR_SUCCESS || type != REG_SZ || got > size) {
        out.Reset(true);
        return 0;
    }
    out.SetLength(got == 0 ? 0 : (int)((got - 1) / 2));
    return 1;
}

int CInstall::QueryRegString(HKEY key, StringId name, GString& out)
{
    // Reading into m_scratch itself: the name must not live in the string being emptied.
    GString local;
    GString& nameText = &out == &m_scratch ? local : m_scratch;
    if (!GetString(name, nameText)) {
        out.Reset(true);
        return 0;
    }
    return QueryRegString(key, nameText.GetWide(), out);
}

int CInstall::RegStringEquals(HKEY key, const WChar* name, GString& text)
{
    GString value;
    if (!QueryRegString(key, name, value))
        return 0;
    const WChar* wide = text.GetWide();
    if (!wide)
        return 0;
    return value.Compare(wide, text.GetLength()) == 0;
}

int CInstall::RegStringEquals(HKEY key, StringId name, GString& text)
{
    GString nameText;
    if (!GetString(name, nameText))
        return 0;
    return RegStringEquals(key, nameText.GetWide(), text);
}

int CInstall::DeleteRegValue(HKEY key, const WChar* name)
{
    if (!key || IsEmpty(name))
        return 0;
    return RegDeleteValueW(key, name) == ERROR_SUCCESS;
}

void CInstall::DeleteRegValue(HKEY key, StringId name)
{
    if (!GetString(name, m_scratch))
        return;
    DeleteRegValue(key, m_scratch.GetWide());
}

// An empty name would delete the parent key itself: refused like a missing one.
int CInstall::DeleteRegKey(HKEY parent, StringId name)
{
    if (!GetString(name, m_scratch))
        return 0;
    const WChar* text = m_scratch.GetWide();
    if (!parent || IsEmpty(text))
        return 0;
    return RegDeleteKeyW(parent, text) == ERROR_SUCCESS;
}

// Opens the key (never creates it) with KEY_SET_VALUE | KEY_CREATE_SUB_KEY.
int CInstall::SetMachineRegString(StringId keyPath, StringId name, StringId text)
{
    HKEY key = OpenRegKey(HKEY_LOCAL_MACHINE, keyPath, KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    if (!key)
        return 0;
    int result = SetRegString(key, name, text);
    RegCloseKey(key);
    return result;
}
