#include "GString.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdio.h>
#include "Utf8.h"
#endif

namespace {

void SendLine(const WChar* line, int length, void*)
{
#ifdef _WIN32
    (void)length;
    OutputDebugStringW(line);
#else
    // Natively there is no debugger channel: the lines go to standard error as UTF-8.
    for (int i = 0; i < length; ++i) {
        uint8_t bytes[3];
        int n = EncodeUtf8(line + i, 1, bytes);
        fwrite(bytes, 1, (size_t)n, stderr);
    }
#endif
}

} // namespace

void GString::DebugOutput(int maxChars)
{
    DebugLines(maxChars, SendLine, nullptr);
}
