#include "StringTableBuilder.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace {

const uint32_t kNarrowFlag = 0x80000000u;
const uint32_t kMaxRecordLength = 0x1FFFFFFFu;

void PutLE(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = (uint8_t)v;
    out[at + 1] = (uint8_t)(v >> 8);
    out[at + 2] = (uint8_t)(v >> 16);
    out[at + 3] = (uint8_t)(v >> 24);
}

// Decodes one UTF-8 sequence at text[i]; 0 when it is not well-formed (overlong forms,
// surrogates and values above U+10FFFF included).
size_t DecodeUtf8(const std::string& text, size_t i, uint32_t& cp)
{
    const uint8_t* s = (const uint8_t*)text.data();
    size_t n = text.size();
    uint8_t b = s[i];
    size_t len;
    uint32_t min;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        len = 2, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (s[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

bool CStringTableBuilder::IsValidUtf8(const std::string& text)
{
    uint32_t cp;
    for (size_t i = 0; i < text.size();) {
        size_t len = DecodeUtf8(text, i, cp);
        if (!len)
            return false;
        i += len;
    }
    return true;
}

std::vector<uint16_t> CStringTableBuilder::Utf8ToUtf16(const std::string& text)
{
    std::vector<uint16_t> units;
    uint32_t cp;
    for (size_t i = 0; i < text.size();) {
        size_t len = DecodeUtf8(text, i, cp);
        if (!len) {
            cp = 0xFFFD;
            len = 1;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back((uint16_t)(0xD800 | (cp >> 10)));
            units.push_back((uint16_t)(0xDC00 | (cp & 0x3FF)));
        } else {
            units.push_back((uint16_t)cp);
        }
    }
    return units;
}

bool CStringTableBuilder::Has(uint32_t id) const
{
    for (const Entry& e : m_entries)
        if (e.id == id)
            return true;
    return false;
}

bool CStringTableBuilder::Add(uint32_t id, const std::string& utf8, bool wide)
{
    if (!IsValidUtf8(utf8))
        return false;
    std::vector<uint8_t> text;
    uint32_t header;
    if (wide) {
        std::vector<uint16_t> units = Utf8ToUtf16(utf8);
        if (units.size() > kMaxRecordLength)
            return false;
        header = (uint32_t)units.size();
        for (uint16_t u : units) {
            text.push_back((uint8_t)u);
            text.push_back((uint8_t)(u >> 8));
        }
    } else {
        if (utf8.size() > kMaxRecordLength)
            return false;
        header = kNarrowFlag | (uint32_t)utf8.size();
        text.assign(utf8.begin(), utf8.end());
    }
    return AddRecord(id, header, text);
}

bool CStringTableBuilder::AddRecord(uint32_t id, uint32_t header, const std::vector<uint8_t>& text)
{
    if (Has(id))
        return false;
    Entry e;
    e.id = id;
    e.record.resize(4);
    PutLE(e.record, 0, header);
    e.record.insert(e.record.end(), text.begin(), text.end());
    m_entries.push_back(e);
    return true;
}

std::vector<uint8_t> CStringTableBuilder::Build() const
{
    std::vector<const Entry*> sorted;
    for (const Entry& e : m_entries)
        sorted.push_back(&e);
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry* a, const Entry* b) { return a->id < b->id; });

    size_t indexBytes = sorted.size() * 8;
    std::vector<uint8_t> out(indexBytes);
    for (size_t i = 0; i < sorted.size(); ++i) {
        while ((out.size() - indexBytes) % 4 != 0)
            out.push_back(0);
        PutLE(out, i * 8, sorted[i]->id);
        PutLE(out, i * 8 + 4, (uint32_t)(out.size() - indexBytes));
        out.insert(out.end(), sorted[i]->record.begin(), sorted[i]->record.end());
    }
    return out;
}

uint8_t* CStringTableBuilder::BuildBuffer(uint32_t& length) const
{
    std::vector<uint8_t> bytes = Build();
    // One spare byte so that an empty table still gets a real allocation.
    uint8_t* buffer = (uint8_t*)malloc(bytes.size() + 1);
    if (!buffer)
        return nullptr;
    if (!bytes.empty())
        memcpy(buffer, bytes.data(), bytes.size());
    length = (uint32_t)bytes.size();
    return buffer;
}
