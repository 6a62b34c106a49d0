// Derives the byte patterns by which the installer finds the layout tables it edits: for each
// pattern, the shortest run of bytes (at least kPatternMinimum when the table allows) that
// starts at the intended place and occurs there first in every build it applies to.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

const size_t kPatternMinimum = 16;

struct PatternSite
{
    const std::vector<uint8_t>* image;
    long target;   // where the pattern must match first
    long limit;    // the pattern must end at or before this offset
};

// Fills pattern and returns true, or returns false with a reason in error.
bool DerivePattern(const std::vector<PatternSite>& sites, std::vector<uint8_t>& pattern,
                   std::string& error);

// Upper-case hexadecimal text of bytes, two digits each.
std::string HexText(const std::vector<uint8_t>& bytes);
