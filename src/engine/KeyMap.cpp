// The installer object's key map: thin members over the key-map operations on m_keyMap.
#include "app/Install.h"

const KeyMapEntry* CInstall::FindDefaultKey(uint32_t scanCode)
{
    return ::FindDefaultKey(scanCode);
}

KeyMapEntry* CInstall::FindKey(uint32_t scanCode)
{
    return ::FindKey(m_keyMap, m_keyMapCount, scanCode);
}

int CInstall::NormaliseKeyMap()
{
    return ::NormaliseKeyMap(m_keyMap, m_keyMapCount);
}

int CInstall::LoadKeyAssignments(uint8_t* buffer, uint32_t byteCount)
{
    return ::LoadKeyAssignments(m_keyMap, m_keyMapCount, buffer, byteCount);
}

uint8_t* CInstall::SaveKeyAssignments(uint32_t& byteCount)
{
    return ::SaveKeyAssignments(m_keyMap, m_keyMapCount, byteCount);
}
