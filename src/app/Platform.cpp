#include "Platform.h"

int OsVersionCode(uint32_t major, uint32_t minor)
{
    // Real versions are small; anything that would overflow is no release we know.
    if (major > 1000 || minor > 1000)
        return 0;
    return (int)(major * 10 + minor);
}

int Is64BitArchitecture(uint16_t arch)
{
    return arch == kArchAmd64 || arch == kArchIa64;
}

int IsSupportedPlatform(int osVersion, uint16_t arch)
{
    switch (osVersion) {
    case 50:
    case 51:
        return arch == kArchX86;
    case 52:
    case 60:
    case 61:
    case 62:
    case 63:
    case 100:
        return arch == kArchX86 || arch == kArchIa64 || arch == kArchAmd64;
    default:
        return 0;
    }
}
