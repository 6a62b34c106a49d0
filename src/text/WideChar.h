// The 16-bit UTF-16 code unit on every build: wchar_t under MinGW, where every Win32 call
// takes it, and char16_t natively, where wchar_t is 32 bits wide.
#pragma once

#include <stdint.h>

#ifdef _WIN32
typedef wchar_t WChar;
#define WSTR(s) L##s
#else
typedef char16_t WChar;
#define WSTR(s) u##s
#endif

static_assert(sizeof(WChar) == 2, "a UTF-16 unit is two bytes");

// Length of a terminated UTF-16 text; the portable core uses no C library wide functions.
inline int WideLength(const WChar* text)
{
    if (!text)
        return 0;
    int n = 0;
    while (text[n])
        ++n;
    return n;
}
