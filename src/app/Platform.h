// Decisions about the platform the installer runs on, apart from the calls that probe it.
#pragma once

#include <stdint.h>

// Native processor architectures as the system information reports them.
const uint16_t kArchX86 = 0;
const uint16_t kArchIa64 = 6;
const uint16_t kArchAmd64 = 9;
const uint16_t kArchUnknown = 0xFFFF;

// Windows major version x 10 + minor version.
int OsVersionCode(uint32_t major, uint32_t minor);

// 1 for the architectures whose system is 64-bit (AMD64, IA-64).
int Is64BitArchitecture(uint16_t arch);

// 1 when the installer carries layout libraries for the release and architecture: releases
// 5.0 and 5.1 only on x86; 5.2, 6.0 to 6.3 and 10.0 on x86, IA-64 and AMD64; nothing else.
int IsSupportedPlatform(int osVersion, uint16_t arch);
