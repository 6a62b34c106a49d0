// CStringTableBuilder: collects texts by StringId and lays them out as the decoded form of a
// string-table item (the bytes StringTable::Init takes, with the entry count beside them).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

class CStringTableBuilder
{
public:
    // A UTF-8 text stored as a UTF-8 record, or (wide) converted to a UTF-16 record. False when
    // the id is taken, the text is not valid UTF-8 or is longer than a record can say.
    bool Add(uint32_t id, const std::string& utf8, bool wide = false);
    // A record given as its header and text bytes, taken as they are (for tables made to show
    // how readers treat unusual records).
    bool AddRecord(uint32_t id, uint32_t header, const std::vector<uint8_t>& text);

    bool Has(uint32_t id) const;
    int Count() const { return (int)m_entries.size(); }

    // Index sorted by id (unsigned), then the records, each starting on a multiple of 4.
    std::vector<uint8_t> Build() const;
    // The same in a malloc'd buffer, ready for StringTable::Init, which takes ownership.
    uint8_t* BuildBuffer(uint32_t& length) const;

    static bool IsValidUtf8(const std::string& text);
    static std::vector<uint16_t> Utf8ToUtf16(const std::string& text);

private:
    struct Entry
    {
        uint32_t id;
        std::vector<uint8_t> record;
    };
    std::vector<Entry> m_entries;
};
