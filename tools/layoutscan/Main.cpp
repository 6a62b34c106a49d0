// layoutscan: reads the built keyboard-layout libraries and writes the string-table entries
// of the patterns by which the installer finds their tables.
//
//   layoutscan LIST OUT
//
// LIST names one build per line: path, set, variant and slot, separated by tabs. OUT receives
// the entries "id<TAB>HEX" of strings 146 (the keypad decimal key's characters, every build),
// 147 to 149 (the scan-code table of variant 0, 1, 2), 150 (the 0xE0 table, every build) and
// 151 (the 0xE1 table, every build).
//
// The installer patches the scan-code table, then searches the 0xE0 table, patches it, then
// searches the 0xE1 table, patches it, and last searches the decimal key. So that no earlier
// patch can ever make or break a later match, every pattern must also end before the first
// table that is patched before it is searched; the libraries place those tables last.
#include "LayoutTables.h"
#include "PatternSearch.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace
{
struct Build
{
    std::string path;
    int set = 0;
    int variant = 0;
    int slot = 0;
    std::vector<uint8_t> bytes;
    LayoutTables tables;
};

bool ReadList(const char* listPath, std::vector<Build>& builds)
{
    std::ifstream in(listPath);
    if (!in)
    {
        fprintf(stderr, "layoutscan: cannot read %s\n", listPath);
        return false;
    }
    std::string line;
    while (std::getline(in, line))
    {
        if (line.empty())
            continue;
        std::istringstream fields(line);
        Build b;
        std::getline(fields, b.path, '\t');
        fields >> b.set >> b.variant >> b.slot;
        if (!fields || b.variant < 0 || b.variant > 2)
        {
            fprintf(stderr, "layoutscan: bad line in %s: %s\n", listPath, line.c_str());
            return false;
        }
        builds.push_back(std::move(b));
    }
    return !builds.empty();
}

bool Load(Build& b)
{
    CPeImage image;
    std::string error;
    if (!ReadFileBytes(b.path, b.bytes) || !image.Parse(b.bytes))
        error = "not a readable PE image";
    else if (LocateLayoutTables(image, b.tables, error))
        return true;
    fprintf(stderr, "layoutscan: %s: %s\n", b.path.c_str(), error.c_str());
    return false;
}

// The pattern must end before any table that is patched before it is searched.
long Limit(long tableEnd, std::initializer_list<long> patchedEarlier)
{
    long limit = tableEnd;
    for (long t : patchedEarlier)
        limit = std::min(limit, t);
    return limit;
}

enum Site { kDecimal, kScan, kE0, kE1 };

PatternSite SiteOf(const Build& b, Site site)
{
    const LayoutTables& t = b.tables;
    long scanEnd = t.scanTable + 2L * t.scanCount;
    long e0End = t.e0Table + 4L * (t.e0Records + 1);
    long e1End = t.e1Table + 4L * (t.e1Records + 1);
    switch (site)
    {
    case kScan:
        return {&b.bytes, t.scanTable, scanEnd};
    case kE0:
        return {&b.bytes, t.e0Table, Limit(e0End, {t.scanTable})};
    case kE1:
        return {&b.bytes, t.e1Table, Limit(e1End, {t.scanTable, t.e0Table})};
    case kDecimal:
    default:
        return {&b.bytes, t.decimalChars,
                Limit(t.decimalTableEnd, {t.scanTable, t.e0Table, t.e1Table})};
    }
}
}

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        fprintf(stderr, "usage: layoutscan LIST OUT\n");
        return 2;
    }
    std::vector<Build> builds;
    if (!ReadList(argv[1], builds))
        return 1;
    for (Build& b : builds)
        if (!Load(b))
            return 1;

    struct Wanted
    {
        int id;
        Site site;
        int variant;   // -1: every build
    };
    const Wanted wanted[] = {
        {146, kDecimal, -1}, {147, kScan, 0}, {148, kScan, 1},
        {149, kScan, 2},     {150, kE0, -1},  {151, kE1, -1},
    };
    std::ostringstream out;
    for (const Wanted& w : wanted)
    {
        std::vector<PatternSite> sites;
        for (const Build& b : builds)
        {
            if (w.variant >= 0 && b.variant != w.variant)
                continue;
            PatternSite s = SiteOf(b, w.site);
            if (s.limit <= s.target)
            {
                fprintf(stderr, "layoutscan: %s: string %d's table is not placed in front of "
                        "the tables patched before it is searched\n", b.path.c_str(), w.id);
                return 1;
            }
            sites.push_back(s);
        }
        std::vector<uint8_t> pattern;
        std::string error;
        if (!DerivePattern(sites, pattern, error))
        {
            fprintf(stderr, "layoutscan: string %d: %s\n", w.id, error.c_str());
            return 1;
        }
        out << w.id << '\t' << HexText(pattern) << '\n';
    }
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file)
    {
        fprintf(stderr, "layoutscan: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
