#include "Install.h"

#include <stdlib.h>

#include "../payload/TextContent.h"

bool CInstall::ReadTextItem(const uint8_t* item, uint32_t size, GString& out)
{
    if (!item || size == 0)
        return false;
    uint8_t* content = m_guard.ReadItem(item, size, nullptr);
    if (!content)
        return false;
    int ok = AssignTextContent(content, size, out);
    free(content);
    return ok != 0;
}
