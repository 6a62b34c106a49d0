#include "TextContent.h"

#include "../text/GString.h"

int AssignTextContent(const uint8_t* content, uint32_t length, GString& out)
{
    if (length >= 3 && content[0] == 0xEF && content[1] == 0xBB && content[2] == 0xBF) {
        content += 3;
        length -= 3;
    }
    out.Reset(false);
    if (length > 0x7FFFFFFFu)
        return 0;
    return out.AppendA((const char*)content, (int)length);
}
