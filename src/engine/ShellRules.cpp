#include "ShellRules.h"

// A reported size beyond this is no path: it is refused rather than allocated.
static const uint32_t kLargestText = 0x100000;

int32_t QueryText(TextQuery query, void* context, uint32_t initialUnits, int growOnce,
                  GString& out)
{
    out.Reset(true);
    if (!query || initialUnits == 0)
        return kQueryBufferTooSmall;
    uint32_t size = initialUnits;
    int32_t status = kQueryBufferTooSmall;
    for (int attempt = 0; attempt < 2; ++attempt) {
        WChar* buffer = out.GetWideBuffer((int)size);
        if (!buffer)
            break;
        buffer[0] = 0;
        uint32_t units = size;
        status = query(context, buffer, units);
        if (status >= 0) {
            // The text ends at its terminator, and never beyond the buffer it was given.
            int length = 0;
            while (length < (int)size && buffer[length] != 0)
                ++length;
            out.SetLength(length);
            return status;
        }
        if (status != kQueryBufferTooSmall || !growOnce || attempt > 0)
            break;
        if (units <= size || units > kLargestText)
            break;
        size = units;
    }
    out.Reset(true);
    return status < 0 ? status : kQueryBufferTooSmall;
}

int PathNamesProgram(GString& path, GString& text)
{
    if (text.GetLength() <= 0)
        return 0;
    GString upper;
    if (!upper.Assign(path) || !upper.MakeUpper())
        return 0;
    const WChar* needle = text.GetWide();
    if (!needle)
        return 0;
    return upper.Find(needle, 0, text.GetLength()) >= 0;
}
