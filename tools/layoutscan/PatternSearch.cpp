#include "PatternSearch.h"

#include "LayoutTables.h"

bool DerivePattern(const std::vector<PatternSite>& sites, std::vector<uint8_t>& pattern,
                   std::string& error)
{
    pattern.clear();
    if (sites.empty())
    {
        error = "no build to take the pattern from";
        return false;
    }
    long room = -1;
    for (const PatternSite& s : sites)
    {
        long r = s.limit - s.target;
        if (s.target < 0 || r <= 0 || (size_t)s.limit > s.image->size())
        {
            error = "a table lies outside its image";
            return false;
        }
        if (room < 0 || r < room)
            room = r;
    }
    const std::vector<uint8_t>& first = *sites[0].image;
    for (long length = 1; length <= room; ++length)
    {
        uint8_t next = first[sites[0].target + length - 1];
        for (const PatternSite& s : sites)
        {
            if ((*s.image)[s.target + length - 1] != next)
            {
                error = "the builds differ inside the table before the pattern is unique";
                return false;
            }
        }
        pattern.push_back(next);
        bool firstEverywhere = true;
        for (const PatternSite& s : sites)
            firstEverywhere = firstEverywhere && FirstOccurrence(*s.image, pattern) == s.target;
        if (!firstEverywhere)
            continue;
        // A longer run is just as first and less likely to be matched by accident; it never
        // leaves the table.
        while (pattern.size() < kPatternMinimum && (long)pattern.size() < room)
        {
            long at = (long)pattern.size();
            uint8_t b = first[sites[0].target + at];
            for (const PatternSite& s : sites)
                if ((*s.image)[s.target + at] != b)
                    return true;
            pattern.push_back(b);
        }
        return true;
    }
    error = "no run of the table's bytes occurs first at the table in every build";
    pattern.clear();
    return false;
}

std::string HexText(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes)
    {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}
